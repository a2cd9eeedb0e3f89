#include "dialogs/sitedialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>
#include <iterator>

#include "base/strings.h"
#include "base/text.h"
#include "dialogs/mapdialog.h"
#include "dialogs/obstructdialog.h"
#include "dialogs/sitelistbox.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/help.h"
#include "ui/prompts.h"

namespace {

// Lives from the first Copy to the end of the program, shared by every opening of the editor.
std::unique_ptr<SiteInfo>& ClipboardSite() {
    static std::unique_ptr<SiteInfo> site;
    return site;
}

constexpr int kPendingAll =
    SiteInfo::kChangedPosition | SiteInfo::kChangedGmtOffset | SiteInfo::kChangedObstructions; // 104

template <size_t N> void FromField(char (&field)[N], const QString& text) {
    CopyBounded(field, text.toUtf8().constData(), N);
}

// Name, description and the four numbers; the obstructions stay.
void SetFixedFields(SiteInfo& to, const SiteInfo& from) {
    std::memcpy(to.name, from.name, sizeof to.name);
    std::memcpy(to.description, from.description, sizeof to.description);
    to.latitude = from.latitude;
    to.longitude = from.longitude;
    to.altitude = from.altitude;
    to.gmtOffset = from.gmtOffset;
}

QString Trimmed(const char* text) {
    return QString::fromStdString(TrimmedName(text));
}

// A text field sized for `characters` digits or signs.
template <typename Edit> Edit* Sized(Edit* edit, int characters) {
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QString(characters + 1, QChar('0'))) + 12);
    return edit;
}

} // namespace

const SiteInfo* SiteDialog::Clipboard() {
    return ClipboardSite().get();
}

void SiteDialog::ClearClipboard() {
    ClipboardSite().reset();
}

SiteDialog::SiteDialog(QWidget* parent, project& list, SkyTrackSource* tracks)
    : QDialog(parent), list_(list), tracks_(tracks) {
    setObjectName(ControlName(kDialog));
    setWindowTitle(Res(IDS_SITEDLG_CAPTION));

    name_ = Named(new QLineEdit(this), kName);
    name_->setMaxLength(SiteInfo::kNameChars);
    description_ = Named(new QPlainTextEdit(this), kDescription);
    description_->setTabChangesFocus(true);
    description_->setMaximumHeight(description_->fontMetrics().lineSpacing() * 3 + 12);
    description_->installEventFilter(this);
    // One logical line of at most 60 characters, however they arrive (typed or pasted).
    connect(description_, &QPlainTextEdit::textChanged, this, [this] {
        QString text = description_->toPlainText();
        QString kept = text;
        kept.replace(QChar('\n'), QChar(' ')).replace(QChar('\r'), QChar(' '));
        if (kept.size() > SiteInfo::kDescriptionChars)
            kept.truncate(SiteInfo::kDescriptionChars);
        if (kept != text) {
            QSignalBlocker block(description_);
            description_->setPlainText(kept);
            description_->moveCursor(QTextCursor::End);
        }
    });

    auto angle = [this](int id, int limit, int max) {
        auto* edit = new myTEdit(this, id, limit);
        edit->SetRange(0, max, 1);
        return Sized(edit, limit - 1);
    };
    latDegrees_ = angle(kLatDegrees, 3, 90);
    latMinutes_ = angle(kLatMinutes, 3, 59);
    latSeconds_ = angle(kLatSeconds, 3, 59);
    latHundredths_ = angle(kLatHundredths, 3, 99);
    lonDegrees_ = angle(kLonDegrees, 4, 180);
    lonMinutes_ = angle(kLonMinutes, 3, 59);
    lonSeconds_ = angle(kLonSeconds, 3, 59);
    lonHundredths_ = angle(kLonHundredths, 3, 99);
    const QString letters = Res(IDS_HEMISPHERE_LETTERS);
    latHemisphere_ = Named(new QComboBox(this), kLatHemisphere);
    latHemisphere_->addItem(letters.mid(0, 1));
    latHemisphere_->addItem(letters.mid(1, 1));
    lonHemisphere_ = Named(new QComboBox(this), kLonHemisphere);
    lonHemisphere_->addItem(letters.mid(3, 1));
    lonHemisphere_->addItem(letters.mid(2, 1));
    altitude_ = Sized(new myTEditFloat(this, kAltitude, 9), 8);
    altitude_->SetRange(-10000, 10000, 1);
    // Real zones run from -12 to +14 and include quarter hours (Nepal, Chatham Islands).
    gmtOffset_ = Sized(new myTEditFloat(this, kGmtOffset, 7), 6);
    gmtOffset_->SetRange(-12, 14, 0.25f);

    sites_ = new TSiteListBox(this, kSiteList, [this](int row) { return Marked(row); });
    connect(sites_, &TSiteListBox::SelectionChanged, this, [this] {
        // After the click or key that changed it, so that a question never interrupts the list.
        QMetaObject::invokeMethod(this, &SiteDialog::SelectionChanged, Qt::QueuedConnection);
    });

    auto button = [this](int id, int textId) {
        auto* b = Named(new QPushButton(Res(textId), this), id);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* add = button(kAdd, IDS_SITEDLG_ADD);
    QPushButton* remove = button(kDelete, IDS_SITEDLG_DELETE);
    QPushButton* replace = button(kReplace, IDS_SITEDLG_REPLACE);
    QPushButton* copy = button(kCopy, IDS_SITEDLG_COPY);
    paste_ = button(kPaste, IDS_SITEDLG_PASTE);
    obstruct_ = button(kObstruct, IDS_SITEDLG_OBSTRUCT);
    map_ = button(kMap, IDS_SITEDLG_MAP);
    QPushButton* select = button(kSelect, IDS_SITEDLG_SELECT);
    QPushButton* cancel = button(kCancel, IDS_BUTTON_CANCEL);
    QPushButton* help = button(kHelp, IDS_HELP_BUTTON);
    select->setDefault(true);
    connect(add, &QPushButton::clicked, this, &SiteDialog::Add);
    connect(remove, &QPushButton::clicked, this, &SiteDialog::Delete);
    connect(replace, &QPushButton::clicked, this, &SiteDialog::Replace);
    connect(copy, &QPushButton::clicked, this, &SiteDialog::Copy);
    connect(paste_, &QPushButton::clicked, this, &SiteDialog::Paste);
    connect(select, &QPushButton::clicked, this, &SiteDialog::Select);
    connect(cancel, &QPushButton::clicked, this, &SiteDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpContext(this, kSiteDialogHelpContext); });
    connect(obstruct_, &QPushButton::clicked, this, &SiteDialog::Obstruct);
    connect(map_, &QPushButton::clicked, this, &SiteDialog::Map);

    // Layout: the form on the left, the list on the right, the closing buttons below.
    auto label = [this](int textId, QWidget* buddy) {
        auto* l = new QLabel(Res(textId), this);
        l->setBuddy(buddy);
        return l;
    };
    auto angleRow = [this](myTEdit* d, myTEdit* m, myTEdit* s, myTEdit* h, QComboBox* hemisphere) {
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        const std::pair<QWidget*, int> parts[] = {
            {d, IDS_SITEDLG_DEGREE_MARK}, {m, IDS_SITEDLG_MINUTE_MARK}, {s, IDS_SITEDLG_SECOND_POINT}};
        for (const auto& [edit, mark] : parts) {
            row->addWidget(edit);
            row->addWidget(new QLabel(Res(mark), this));
        }
        row->addWidget(h);
        row->addWidget(new QLabel(Res(IDS_SITEDLG_SECOND_MARK), this));
        row->addSpacing(6);
        row->addWidget(hemisphere);
        row->addStretch();
        d->setToolTip(Res(IDS_SITEDLG_DEGREES_TIP));
        m->setToolTip(Res(IDS_SITEDLG_MINUTES_TIP));
        s->setToolTip(Res(IDS_SITEDLG_SECONDS_TIP));
        h->setToolTip(Res(IDS_SITEDLG_HUNDREDTHS_TIP));
        return row;
    };
    auto* form = new QGridLayout;
    form->addWidget(label(IDS_SITEDLG_NAME, name_), 0, 0);
    form->addWidget(name_, 0, 1);
    form->addWidget(label(IDS_SITEDLG_DESCRIPTION, description_), 1, 0, Qt::AlignTop);
    form->addWidget(description_, 1, 1);
    form->addWidget(label(IDS_SITEDLG_LATITUDE, latDegrees_), 2, 0);
    form->addLayout(angleRow(latDegrees_, latMinutes_, latSeconds_, latHundredths_, latHemisphere_), 2, 1);
    form->addWidget(label(IDS_SITEDLG_LONGITUDE, lonDegrees_), 3, 0);
    form->addLayout(angleRow(lonDegrees_, lonMinutes_, lonSeconds_, lonHundredths_, lonHemisphere_), 3, 1);
    auto unitRow = [this](QWidget* edit, int unit) {
        auto* row = new QHBoxLayout;
        row->addWidget(edit);
        row->addWidget(new QLabel(Res(unit), this));
        row->addStretch();
        return row;
    };
    form->addWidget(label(IDS_SITEDLG_ALTITUDE, altitude_), 4, 0);
    form->addLayout(unitRow(altitude_, IDS_SITEDLG_METRES), 4, 1);
    form->addWidget(label(IDS_SITEDLG_GMT_OFFSET, gmtOffset_), 5, 0);
    form->addLayout(unitRow(gmtOffset_, IDS_SITEDLG_HOURS), 5, 1);
    auto* tools = new QHBoxLayout;
    tools->addWidget(obstruct_);
    tools->addWidget(map_);
    tools->addStretch();
    form->addLayout(tools, 6, 1);
    form->setRowStretch(7, 1);

    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(label(IDS_SITEDLG_LIST, sites_));
    listColumn->addWidget(sites_, 1);
    auto* listButtons = new QGridLayout;
    listButtons->addWidget(add, 0, 0);
    listButtons->addWidget(remove, 0, 1);
    listButtons->addWidget(replace, 0, 2);
    listButtons->addWidget(copy, 1, 0);
    listButtons->addWidget(paste_, 1, 1);
    listColumn->addLayout(listButtons);

    auto* columns = new QHBoxLayout;
    columns->addLayout(form, 3);
    columns->addSpacing(8);
    columns->addLayout(listColumn, 2);
    auto* closing = new QHBoxLayout;
    closing->addStretch();
    closing->addWidget(select);
    closing->addWidget(cancel);
    closing->addWidget(help);
    auto* top = new QVBoxLayout(this);
    top->addLayout(columns, 1);
    top->addLayout(closing);

    // The list and the shown site.
    RebuildIndex();
    std::vector<QString> names;
    names.reserve(index_.size());
    for (const SiteInfo* site : index_)
        names.push_back(Trimmed(site->name));
    sites_->SetStrings(std::move(names));
    if (index_.empty()) {
        shownIndex_ = -1;
        LoadForm(workingSite_);
        changeFlags_ = kPendingAll;
    } else {
        shownIndex_ = list_.currentIndex >= 0 && list_.currentIndex < static_cast<int>(index_.size())
                          ? list_.currentIndex
                          : 0;
        workingSite_ = *index_[static_cast<size_t>(shownIndex_)];
        LoadForm(workingSite_);
    }
    sites_->SetSelIndex(shownIndex_);
    paste_->setEnabled(Clipboard() != nullptr);
    // Reading order: the form row by row (each hemisphere after its own angle), its tools, then the
    // list and its buttons, then the closing buttons.
    QWidget* const tabOrder[] = {name_,          description_,   latDegrees_, latMinutes_, latSeconds_,
                                 latHundredths_, latHemisphere_, lonDegrees_, lonMinutes_, lonSeconds_,
                                 lonHundredths_, lonHemisphere_, altitude_,   gmtOffset_,  obstruct_,
                                 map_,           sites_,         add,         remove,      replace,
                                 copy,           paste_,         select,      cancel,      help};
    for (size_t k = 1; k < std::size(tabOrder); ++k)
        setTabOrder(tabOrder[k - 1], tabOrder[k]);
    SetHelpContext(this, kSiteDialogHelpContext);
    name_->setFocus();
}

SiteDialog::~SiteDialog() {
    SetHelpContext(this, 0);
}

void SiteDialog::reject() {
    finished_ = true;
    done(kCancel);
}

bool SiteDialog::event(QEvent* event) {
    if (event->type() == CmRedrowAndPar()) {
        if (ApplyPoleRule())
            ThePrompts().Beep(MB_ICONEXCLAMATION);
        return true;
    }
    return QDialog::event(event);
}

bool SiteDialog::eventFilter(QObject* watched, QEvent* event) {
    // The description is one line of text: Enter does not break it.
    if (watched == description_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- form ----------------------------------------------------------------------------------

void SiteDialog::TransferIn(const SiteDialogBuf& buf) {
    name_->setText(QString::fromUtf8(buf.name));
    {
        QSignalBlocker block(description_);
        description_->setPlainText(QString::fromUtf8(buf.description));
    }
    TransferPositionIn(buf);
    altitude_->setText(QString::fromUtf8(buf.altitude));
    gmtOffset_->setText(QString::fromUtf8(buf.gmtOffset));
}

void SiteDialog::TransferPositionIn(const SiteDialogBuf& buf) {
    latDegrees_->setText(QString::fromUtf8(buf.latDegrees));
    latMinutes_->setText(QString::fromUtf8(buf.latMinutes));
    latSeconds_->setText(QString::fromUtf8(buf.latSeconds));
    latHundredths_->setText(QString::fromUtf8(buf.latHundredths));
    latHemisphere_->setCurrentIndex(buf.latHemisphere);
    lonDegrees_->setText(QString::fromUtf8(buf.lonDegrees));
    lonMinutes_->setText(QString::fromUtf8(buf.lonMinutes));
    lonSeconds_->setText(QString::fromUtf8(buf.lonSeconds));
    lonHundredths_->setText(QString::fromUtf8(buf.lonHundredths));
    lonHemisphere_->setCurrentIndex(buf.lonHemisphere);
}

SiteDialogBuf SiteDialog::TransferOut() const {
    SiteDialogBuf buf;
    FromField(buf.name, name_->text());
    FromField(buf.description, description_->toPlainText());
    FromField(buf.latDegrees, latDegrees_->text());
    FromField(buf.latMinutes, latMinutes_->text());
    FromField(buf.latSeconds, latSeconds_->text());
    FromField(buf.latHundredths, latHundredths_->text());
    buf.latHemisphere = latHemisphere_->currentIndex() == 1 ? 1 : 0;
    FromField(buf.lonDegrees, lonDegrees_->text());
    FromField(buf.lonMinutes, lonMinutes_->text());
    FromField(buf.lonSeconds, lonSeconds_->text());
    FromField(buf.lonHundredths, lonHundredths_->text());
    buf.lonHemisphere = lonHemisphere_->currentIndex() == 1 ? 1 : 0;
    FromField(buf.altitude, altitude_->text());
    FromField(buf.gmtOffset, gmtOffset_->text());
    return buf;
}

void SiteDialog::LoadForm(const SiteInfo& site) {
    SiteDialogBuf buf;
    FillSiteDialogBuf(site, buf);
    TransferIn(buf);
}

void SiteDialog::SettleFields() {
    // The fields check themselves when the focus leaves them; Enter or a button pressed while
    // one still holds a bad number must not let it into the site. Only typed text is checked here:
    // a stored altitude of 123.45 stays as it is until the user edits it.
    bool corrected = false;
    for (myTEdit* edit : {latDegrees_, latMinutes_, latSeconds_, latHundredths_, lonDegrees_, lonMinutes_,
                          lonSeconds_, lonHundredths_})
        if (edit->isModified() && !edit->IsValid()) {
            edit->Correct();
            corrected = true;
        }
    for (myTEditFloat* edit : {altitude_, gmtOffset_})
        if (edit->isModified() && !edit->IsValid()) {
            edit->Correct();
            corrected = true;
        }
    if (ApplyPoleRule() || corrected)
        ThePrompts().Beep(MB_ICONEXCLAMATION);
}

bool SiteDialog::ApplyPoleRule() {
    SiteDialogBuf buf = TransferOut();
    if (!::ApplyPoleRule(buf))
        return false;
    // Only the zeroed fields are set: the others keep what the user typed and whether it was typed.
    const std::pair<myTEdit*, const char*> fields[] = {
        {latMinutes_, buf.latMinutes}, {latSeconds_, buf.latSeconds}, {latHundredths_, buf.latHundredths},
        {lonMinutes_, buf.lonMinutes}, {lonSeconds_, buf.lonSeconds}, {lonHundredths_, buf.lonHundredths}};
    for (const auto& [edit, text] : fields)
        if (edit->text() != QString::fromUtf8(text))
            edit->setText(QString::fromUtf8(text));
    return true;
}

SiteInfo SiteDialog::FormSite() {
    SettleFields();
    SiteInfo site;
    ReadSiteDialogBuf(TransferOut(), site);
    return site;
}

bool SiteDialog::HasUnsavedChanges(const SiteInfo& formSite) {
    const SiteInfo* stored = Site(shownIndex_);
    if (!stored)
        return changeFlags_ != 0;
    // Compared with the stored site as the form shows it: a position or altitude with more digits
    // than the fields hold is not a change the user made.
    SiteDialogBuf shownBuf;
    FillSiteDialogBuf(*stored, shownBuf);
    SiteInfo shown;
    ReadSiteDialogBuf(shownBuf, shown);
    if (formSite.latitude != shown.latitude || formSite.longitude != shown.longitude ||
        formSite.altitude != shown.altitude)
        changeFlags_ |= SiteInfo::kChangedPosition;
    if (formSite.gmtOffset != shown.gmtOffset)
        changeFlags_ |= SiteInfo::kChangedGmtOffset;
    // The texts as typed: one cut to what the list holds could look like the stored one.
    const SiteDialogBuf typed = TransferOut();
    return changeFlags_ != 0 || std::strcmp(typed.name, stored->name) != 0 ||
           std::strcmp(typed.description, stored->description) != 0;
}

// ---- names ---------------------------------------------------------------------------------

std::vector<std::string> SiteDialog::ListedNames() const {
    std::vector<std::string> names;
    names.reserve(index_.size());
    for (const SiteInfo* site : index_)
        names.push_back(site->name);
    return names;
}

bool SiteDialog::ValidName(int own) {
    // Checked as typed: the form site's texts are already cut to the fields.
    const SiteDialogBuf typed = TransferOut();
    if (const auto tooLong = CheckSiteTexts(typed)) {
        MessageBoxRes(this, QString::fromStdString(SiteTextFaultText(*tooLong)), IDS_ERROR, MB_ICONASTERISK);
        if (tooLong->description) {
            description_->setFocus();
        } else {
            name_->setFocus();
            name_->selectAll();
        }
        return false;
    }
    const SiteNameFault fault = CheckSiteName(typed.name, ListedNames(), own);
    if (fault == SiteNameFault::None)
        return true;
    MessageBoxRes(this, Res(fault == SiteNameFault::Empty ? IDS_BAD_SITE_NAME : IDS_SITE_EXISTS), IDS_ERROR,
                  MB_ICONASTERISK);
    name_->setFocus();
    name_->selectAll();
    return false;
}

int SiteDialog::Ask(const QString& text) {
    return MessageBoxRes(this, text, IDS_QUESTION, MB_YESNOCANCEL | MB_ICONQUESTION);
}

// ---- list ----------------------------------------------------------------------------------

SiteInfo* SiteDialog::Site(int index) const {
    return index >= 0 && index < static_cast<int>(index_.size()) ? index_[static_cast<size_t>(index)]
                                                                 : nullptr;
}

void SiteDialog::RebuildIndex() {
    index_.clear();
    index_.reserve(static_cast<size_t>(list_.sites.Count()));
    if (list_.sites.First())
        do
            index_.push_back(list_.sites.Current());
        while (list_.sites.Next());
}

bool SiteDialog::Marked(int row) const {
    if (row == shownIndex_)
        return workingSite_.obstructions.Count() > 0;
    const SiteInfo* site = Site(row);
    return site && site->obstructions.Count() > 0;
}

QString SiteDialog::EntryName(const char* name) const {
    return Trimmed(name);
}

// ---- actions -------------------------------------------------------------------------------

void SiteDialog::Add() {
    if (sites_->GetCount() >= kMaxSites)
        return;
    const SiteInfo formSite = FormSite();
    if (!ValidName(-1))
        return;
    const QString trimmed = EntryName(formSite.name);
    SetFixedFields(workingSite_, formSite);
    if (!list_.sites.Add(workingSite_))
        return; // out of memory: the list stays as it was
    RebuildIndex();
    const int previous = shownIndex_;
    sites_->AddString(trimmed);
    shownIndex_ = sites_->GetCount() - 1;
    sites_->RedrawEntry(previous);
    sites_->SetSelIndex(shownIndex_);
    list_.modified = 1;
    changeFlags_ = 0;
}

void SiteDialog::Delete() {
    if (shownIndex_ < 0)
        return;
    // Obstructions are drawn by hand and go with their site: such a site goes only when the user
    // says so.
    if (const int obstructions = workingSite_.obstructions.Count(); obstructions > 0) {
        const QByteArray entry = sites_->GetString(shownIndex_).toUtf8();
        const std::string text =
            FormatText(LoadResString(IDS_SITEDLG_DELETE_OBSTRUCTED), entry.constData(), obstructions);
        if (MessageBoxRes(this, QString::fromStdString(text), IDS_QUESTION, MB_YESNO | MB_ICONQUESTION) !=
            IDYES)
            return;
    }
    if (!list_.sites.GetAt(shownIndex_) || !list_.sites.DeleteCurrent())
        return;
    RebuildIndex();
    sites_->DeleteString(shownIndex_);
    if (shownIndex_ >= sites_->GetCount())
        --shownIndex_;
    if (shownIndex_ < 0) {
        workingSite_ = SiteInfo();
        LoadForm(workingSite_);
        changeFlags_ = kPendingAll;
    } else {
        workingSite_ = *Site(shownIndex_);
        LoadForm(workingSite_);
        changeFlags_ = 0;
    }
    sites_->SetSelIndex(shownIndex_);
    list_.modified = 1;
}

void SiteDialog::Replace() {
    const SiteInfo formSite = FormSite();
    if (!ValidName(shownIndex_))
        return;
    SetFixedFields(workingSite_, formSite);
    const QString trimmed = EntryName(formSite.name);
    if (shownIndex_ < 0) {
        if (!list_.sites.Add(workingSite_))
            return;
        RebuildIndex();
        shownIndex_ = 0;
        sites_->AddString(trimmed);
    } else {
        *Site(shownIndex_) = workingSite_;
        sites_->ReplaceString(shownIndex_, trimmed);
    }
    sites_->SetSelIndex(shownIndex_);
    list_.modified = 1;
    changeFlags_ = 0;
}

void SiteDialog::Copy() {
    std::unique_ptr<SiteInfo>& clipboard = ClipboardSite();
    if (!clipboard)
        clipboard = std::make_unique<SiteInfo>();
    paste_->setEnabled(true);
    SiteInfo site = FormSite();
    site.obstructions = workingSite_.obstructions;
    *clipboard = site;
}

void SiteDialog::Paste() {
    const SiteInfo* clipboard = Clipboard();
    if (!clipboard)
        return;
    workingSite_ = *clipboard;
    LoadForm(workingSite_);
    changeFlags_ |= kPendingAll;
    sites_->RedrawEntry(shownIndex_);
}

void SiteDialog::SelectionChanged() {
    if (finished_)
        return;
    const int selected = sites_->GetSelIndex();
    if (selected == shownIndex_)
        return;
    if (selected < 0) {
        sites_->SetSelIndex(shownIndex_);
        return;
    }
    const SiteInfo formSite = FormSite();
    if (HasUnsavedChanges(formSite)) {
        const QString entry = sites_->GetString(shownIndex_);
        const QByteArray utf8 = entry.toUtf8();
        const std::string text =
            FormatText(LoadResString(IDS_SITE_CHANGED), utf8.constData(), utf8.constData());
        const int answer = Ask(QString::fromStdString(text));
        if (answer == IDYES) {
            if (!ValidName(shownIndex_)) {
                sites_->SetSelIndex(shownIndex_);
                return;
            }
            SiteInfo* stored = Site(shownIndex_);
            SetFixedFields(*stored, formSite);
            stored->obstructions = workingSite_.obstructions;
            sites_->ReplaceString(shownIndex_, EntryName(formSite.name));
            list_.modified = 1;
        } else if (answer != IDNO) {
            sites_->SetSelIndex(shownIndex_);
            name_->setFocus();
            return;
        }
    }
    const int previous = shownIndex_;
    shownIndex_ = selected;
    sites_->RedrawEntry(previous);
    workingSite_ = *Site(shownIndex_);
    LoadForm(workingSite_);
    changeFlags_ = 0;
}

void SiteDialog::Select() {
    const SiteInfo formSite = FormSite();
    const bool empty = shownIndex_ < 0;
    int answer = IDNO;
    if (empty) {
        if (changeFlags_ != 0) {
            const std::string text = FormatText(LoadResString(IDS_INSERT_SITE), formSite.name);
            answer = Ask(QString::fromStdString(text));
        }
    } else if (HasUnsavedChanges(formSite)) {
        const QByteArray entry = sites_->GetString(shownIndex_).toUtf8();
        answer = Ask(QString::fromStdString(
            FormatText(LoadResString(IDS_SITE_CHANGED), entry.constData(), entry.constData())));
    }
    if (answer != IDYES && answer != IDNO)
        return;
    if (answer == IDYES) {
        if (!ValidName(shownIndex_))
            return;
        SetFixedFields(workingSite_, formSite);
        if (empty) {
            if (!list_.sites.Add(workingSite_))
                return;
            RebuildIndex();
            shownIndex_ = 0;
            sites_->AddString(EntryName(formSite.name));
        } else {
            *Site(shownIndex_) = workingSite_;
            sites_->ReplaceString(shownIndex_, EntryName(formSite.name));
        }
        list_.modified = 1;
    }
    list_.currentIndex = static_cast<int16_t>(shownIndex_);
    const SiteInfo* current = Site(shownIndex_);
    CopyBounded(list_.currentName, current ? current->name : "", sizeof list_.currentName);
    finished_ = true;
    done(kSelect);
}

void SiteDialog::Obstruct() {
    AList<Obstruction> copy = workingSite_.obstructions;
    const SiteInfo formSite = FormSite();
    std::vector<SkyTrack> tracks;
    if (tracks_)
        tracks = tracks_->SkyTracksFor(formSite);
    ObstructDialog dialog(this, copy, Trimmed(formSite.name), std::move(tracks));
    if (dialog.exec() != 1)
        return;
    workingSite_.obstructions = copy;
    changeFlags_ |= SiteInfo::kChangedObstructions;
    sites_->RedrawEntry(shownIndex_);
}

void SiteDialog::Map() {
    SettleFields();
    SiteDialogBuf buf = TransferOut();
    double latitude = ReadLatitude(buf), longitude = ReadLongitude(buf);
    MapDialog dialog(this, sites_->GetString(shownIndex_), latitude, longitude);
    if (dialog.exec() != 1)
        return;
    FillPosition(latitude, longitude, buf);
    TransferPositionIn(buf);
    changeFlags_ |= SiteInfo::kChangedPosition;
}
