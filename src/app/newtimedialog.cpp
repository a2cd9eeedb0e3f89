#include "app/newtimedialog.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>

#include <algorithm>

#include "app/mdiclient.h"
#include "app/timecontrol.h"
#include "base/strings.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/dates.h"
#include "ui/help.h"
#include "ui/prompts.h"

namespace {

// The interval from a date and two times; the end runs into the next day unless it is later than
// the begin. A date the calendar cannot hold keeps the end on the same date (it is corrected
// before it is ever handed over).
PlanInterval MakeInterval(int day, int month, int year, int bh, int bm, int eh, int em) {
    if (IsValidDate(day, month, year))
        return PlanInterval(day, month, year, bh, bm, eh, em);
    PlanInterval p;
    p.beginHour = static_cast<int16_t>(bh);
    p.beginMinute = static_cast<int16_t>(bm);
    p.endHour = static_cast<int16_t>(eh);
    p.endMinute = static_cast<int16_t>(em);
    p.beginDay = p.endDay = static_cast<int16_t>(day);
    p.beginMonth = p.endMonth = static_cast<int16_t>(month);
    p.beginYear = p.endYear = static_cast<int16_t>(year);
    return p;
}

// The calendar of the engine holds from 1 March 1901 to the end of 2099.
constexpr int kFirstYear = 1901, kLastYear = 2099;

} // namespace

NewTimeDialog::NewTimeDialog(QWidget* parent, OrvantMDIClient& client) : QWidget(parent), client_(&client) {
    setObjectName(QStringLiteral("timeBar"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    working_ = client.Interval();

    month_ = new myTEdit(this, kMonth, 3);
    month_->SetRange(1, 12, 1);
    day_ = new myTEdit(this, kDay, 3);
    day_->SetRange(1, 31, 1);
    year_ = new myTEdit(this, kYear, 5);
    year_->SetRange(kFirstYear, kLastYear, 1);
    for (myTEdit* edit : {month_, day_, year_}) {
        edit->setAlignment(Qt::AlignCenter);
        edit->installEventFilter(this);
    }

    ruler_ = new QWidget(this);
    ruler_->setObjectName(ControlName(kRuler));
    ruler_->hide();

    begin_ = new TimeControl(this, kBeginMarker, TimeControl::Begin, Res(IDS_TIMEBAR_BEGIN_MARKER));
    end_ = new TimeControl(this, kEndMarker, TimeControl::End, Res(IDS_TIMEBAR_END_MARKER));
    wholeDay_ = new myTControl(this, k24Hour, Res(IDS_TIMEBAR_24_HOUR));
    wholeDay_->setAutoDefault(false);

    dateLabel_ = new QLabel(Res(IDS_TIMEBAR_DATE), this);
    localLabel_ = new QLabel(Res(IDS_TIMEBAR_LOCAL), this);
    timeLabel_ = new QLabel(Res(IDS_TIMEBAR_TIME), this);
    colon1_ = new QLabel(Res(IDS_TIMEBAR_SEPARATOR), this);
    colon2_ = new QLabel(Res(IDS_TIMEBAR_SEPARATOR), this);
    for (QLabel* c : {colon1_, colon2_})
        c->setAlignment(Qt::AlignCenter);

    // Markers post "redraw the ruler" to the bar when they settle somewhere new; while dragged the
    // interval line follows at once.
    for (TimeControl* marker : {begin_, end_}) {
        connect(marker, &TimeControl::committed, this, &NewTimeDialog::RedrawRuler, Qt::QueuedConnection);
        connect(marker, &TimeControl::dragged, this,
                [this] { update(ruler_->geometry().adjusted(-1, 0, 1, 0)); });
    }
    connect(wholeDay_, &QPushButton::clicked, this, &NewTimeDialog::WholeDay);

    ApplyDateForm();

    month_->setText(QString::number(working_.beginMonth));
    day_->setText(QString::number(working_.beginDay));
    year_->setText(QString::number(working_.beginYear));

    SetHelpContext(this, kHelpContext);
    for (QWidget* w : std::initializer_list<QWidget*>{wholeDay_, end_, begin_, month_, day_, year_})
        SetHelpContext(w, kHelpContext);

    LayOut();
    resize(sizeHint());
}

void NewTimeDialog::ApplyDateForm() {
    const DateFieldOrder order = ScreenDateOrder();
    for (int k = 0; k < 3; ++k)
        dateFields_[static_cast<size_t>(k)] = order.fields[k] == 'd'   ? day_
                                              : order.fields[k] == 'm' ? month_
                                                                       : year_;
    QString pattern;
    QString separator = order.legacy ? Res(IDS_TIMEBAR_SEPARATOR) : order.separator;
    if (separator.isEmpty())
        separator = QStringLiteral(" ");
    if (!order.legacy) {
        for (int k = 0; k < 3; ++k) {
            if (k > 0)
                pattern += separator;
            pattern += Res(order.fields[k] == 'd'   ? IDS_DATE_PATTERN_DAY
                           : order.fields[k] == 'm' ? IDS_DATE_PATTERN_MONTH
                                                    : IDS_DATE_PATTERN_YEAR);
        }
    }
    dateLabel_->setText(order.legacy
                            ? Res(IDS_TIMEBAR_DATE)
                            : QString::fromStdString(FormatText(ResString(IDS_TIMEBAR_DATE_FORM).c_str(),
                                                                pattern.toUtf8().constData())));
    colon1_->setText(separator);
    colon2_->setText(separator);
    // Tab follows the fields as they read.
    setTabOrder(dateFields_[0], dateFields_[1]);
    setTabOrder(dateFields_[1], dateFields_[2]);
    setTabOrder(dateFields_[2], begin_);
    setTabOrder(begin_, end_);
    setTabOrder(end_, wholeDay_);
    if (placed_)
        LayOut();
}

// ---- geometry ------------------------------------------------------------------------------

int NewTimeDialog::DluX(int units) const {
    // A dialog unit across is a quarter of the font's average letter width.
    const QFontMetrics fm(font());
    const int letters =
        fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int base = (letters / 26 + 1) / 2;
    return (units * base + 2) / 4;
}

int NewTimeDialog::DluY(int units) const {
    return (units * QFontMetrics(font()).height() + 4) / 8;
}

int NewTimeDialog::RulerLeft() const {
    return ruler_->x();
}

void NewTimeDialog::UpdateRulerFont() {
    // Courier New, 14 units high, bold: 14 pixels on a 96-dpi screen, more on a finer screen,
    // and growing with a font larger than the usual desktop one (17 pixels high).
    rulerFont_ = QFont(QStringLiteral("Courier New"));
    rulerFont_.setStyleHint(QFont::TypeWriter);
    const int byScreen = (14 * logicalDpiY() + 48) / 96;
    const int byFont = (14 * QFontMetrics(font()).height() + 8) / 17;
    rulerFont_.setPixelSize(std::max({8, byScreen, byFont}));
    rulerFont_.setWeight(QFont::Bold);
    begin_->setFont(rulerFont_);
    end_->setFont(rulerFont_);
}

NewTimeDialog::Geometry NewTimeDialog::Measure(int width) const {
    const QFontMetrics fm(font());
    const QFontMetrics rm(rulerFont_);
    Geometry g;
    // Left: the "Local" / "Time" labels, then the ruler.
    g.markerWidth = std::max(DluX(6), rm.horizontalAdvance(QLatin1Char('>')) + 4);
    g.labelWidth =
        std::max(fm.horizontalAdvance(localLabel_->text()), fm.horizontalAdvance(timeLabel_->text())) + 2;
    g.rulerLeft = std::max(DluX(43), DluX(4) + g.labelWidth + g.markerWidth + DluX(2));
    g.rulerTop = DluY(14);
    g.rulerHeight = std::max(8, DluY(8)) & ~1;
    g.markerHeight = std::min(std::max(DluY(10), rm.height()), g.rulerTop);
    g.labelHeight = fm.height();
    // Right: "24 Hour", then the date, flush with the bar's right edge.
    const int digit = fm.horizontalAdvance(QLatin1Char('0'));
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8;
    g.twoDigits = std::max(DluX(14), 2 * digit + frame);
    g.fourDigits = std::max(DluX(22), 4 * digit + frame);
    g.colon = std::max(DluX(5), fm.horizontalAdvance(colon1_->text()) + 2);
    g.dateLabelWidth = fm.horizontalAdvance(dateLabel_->text()) + 4;
    const int dateWidth = std::max(2 * g.twoDigits + g.fourDigits + 2 * g.colon, g.dateLabelWidth);
    g.dateLabelTop = DluY(2);
    g.editTop = g.dateLabelTop + fm.height() + DluY(1);
    g.editHeight = month_->sizeHint().height();
    g.buttonWidth = std::max(DluX(36), wholeDay_->sizeHint().width());
    g.buttonHeight = std::max(DluY(14), wholeDay_->sizeHint().height());
    const int gap = std::max(DluX(8), g.markerWidth + DluX(2));
    const int rightBlock = gap + g.buttonWidth + DluX(8) + dateWidth + DluX(4);
    // The ruler: a whole number of quarter-hour steps, at least wide enough for its hour labels,
    // and whatever the bar's width leaves.
    const int minStep =
        std::max({3, (rm.horizontalAdvance(QStringLiteral("24")) + 2 + 3) / 4, DluX(272) / 96});
    g.step = std::max(minStep, (width - g.rulerLeft - rightBlock) / 96);
    g.width = std::max(width, g.rulerLeft + 96 * g.step + rightBlock);
    g.dateLeft = g.width - DluX(4) - dateWidth;
    g.buttonLeft = g.dateLeft - DluX(8) - g.buttonWidth;
    const int editBottom = g.editTop + g.editHeight + DluY(2);
    const int rulerBottom = g.rulerTop + g.rulerHeight + 2 + rm.height() + DluY(1);
    g.height = std::max({DluY(31), editBottom, rulerBottom});
    return g;
}

QSize NewTimeDialog::sizeHint() const {
    const Geometry g = Measure(0);
    return {g.width, g.height};
}

QSize NewTimeDialog::minimumSizeHint() const {
    return sizeHint();
}

void NewTimeDialog::LayOut() {
    if (layingOut_)
        return;
    layingOut_ = true;
    // The times the markers show survive a new ruler width or font.
    const PlanInterval keep = placed_ ? ReadInterval() : working_;
    UpdateRulerFont();
    const Geometry g = Measure(width());

    dateLabel_->setGeometry(g.dateLeft, g.dateLabelTop, g.dateLabelWidth, g.labelHeight);
    int x = g.dateLeft;
    for (QWidget* w :
         std::initializer_list<QWidget*>{dateFields_[0], colon1_, dateFields_[1], colon2_, dateFields_[2]}) {
        const int wide = w == year_ ? g.fourDigits : w == colon1_ || w == colon2_ ? g.colon : g.twoDigits;
        w->setGeometry(x, g.editTop, wide, g.editHeight);
        x += wide;
    }
    wholeDay_->setGeometry(g.buttonLeft, g.editTop + g.editHeight - g.buttonHeight, g.buttonWidth,
                           g.buttonHeight);

    step_ = g.step;
    hourWidth_ = 4 * step_;
    ruler_->setGeometry(g.rulerLeft, g.rulerTop, 96 * step_, g.rulerHeight);
    const int axis = g.rulerTop + g.rulerHeight / 2;
    localLabel_->setGeometry(DluX(4), axis - g.labelHeight, g.labelWidth, g.labelHeight);
    timeLabel_->setGeometry(DluX(4), axis, g.labelWidth, g.labelHeight);
    for (TimeControl* marker : {begin_, end_}) {
        marker->setGeometry(marker->x(), g.rulerTop - g.markerHeight, g.markerWidth, g.markerHeight);
        marker->SetRuler(g.rulerLeft, step_);
    }
    PlaceMarkers(keep);
    placed_ = true;

    setFixedHeight(g.height);
    updateGeometry();
    update();
    layingOut_ = false;
}

void NewTimeDialog::PlaceMarkers(const PlanInterval& interval) {
    const int left = RulerLeft();
    begin_->Place(left + interval.beginHour * hourWidth_ + (interval.beginMinute / 15) * step_);
    end_->Place(left + interval.endHour * hourWidth_ + (interval.endMinute / 15) * step_);
    begin_->Commit();
    end_->Commit();
}

void NewTimeDialog::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

void NewTimeDialog::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        LayOut();
}

// ---- the interval --------------------------------------------------------------------------

PlanInterval NewTimeDialog::ReadInterval() const {
    const int month = month_->text().toInt();
    const int day = day_->text().toInt();
    const int year = year_->text().toInt();
    const int left = RulerLeft();
    const int a = begin_->x() + begin_->width() - left;
    const int bh = a / hourWidth_;
    const int bm = ((a - bh * hourWidth_) / step_) * 15;
    const int d = end_->x() - left + 1;
    const int eh = d / hourWidth_;
    const int em = ((d - eh * hourWidth_) / step_) * 15;
    return MakeInterval(day, month, year, bh, bm, eh, em);
}

void NewTimeDialog::WholeDay() {
    begin_->Place(begin_->LeftLimit());
    end_->Place(end_->RightLimit());
    const bool beginMoved = begin_->Commit();
    const bool endMoved = end_->Commit();
    if (beginMoved || endMoved)
        QMetaObject::invokeMethod(this, &NewTimeDialog::RedrawRuler, Qt::QueuedConnection);
    // The bar itself as the new focus: not a child of the bar, so the interval is handed over.
    PostRedraw(this, CmRedrowAndPar(), this);
}

void NewTimeDialog::ApplyInterval(QWidget* focus) {
    OrvantMDIClient* client = client_.data();
    if (!client)
        return;
    // A field changed without leaving it (Up/Down, or a value put there) is checked here too.
    bool corrected = false;
    for (myTEdit* edit : {month_, year_}) {
        if (!edit->IsValid()) {
            edit->Correct();
            corrected = true;
        }
    }
    PlanInterval interval = ReadInterval();
    if (!IsValidDate(interval.beginDay, interval.beginMonth, interval.beginYear)) {
        if (!IsValidDate(1, interval.beginMonth, interval.beginYear)) {
            // January and February 1901 lie before the calendar: its first month.
            month_->setText(QString::number(3));
            month_->repaint();
            interval = ReadInterval();
        }
        // The last day that month has, not above the one entered.
        int day = std::clamp<int>(interval.beginDay, 1, 31);
        while (day > 1 && !IsValidDate(day, interval.beginMonth, interval.beginYear))
            --day;
        day_->setText(QString::number(day));
        day_->repaint();
        interval = ReadInterval();
        corrected = true;
    }
    if (corrected)
        ThePrompts().Beep(MB_ICONEXCLAMATION);
    working_ = interval;

    // The focus only moves within the bar: nothing is handed over yet.
    if (focus && focus->parentWidget() == this)
        return;
    PlanSession& session = client->Session();
    const uint32_t changed = session.SetInterval(working_);
    if (!changed && !session.changes().Test(ChangeFlags::kTime | ChangeFlags::kDate))
        return;
    if (changed & ChangeFlags::kDate)
        client->Post(CM_ALMANAC_AGE_CHECK);
    PostRedraw(client, CmRedrowAndPar(), focus);
}

bool NewTimeDialog::event(QEvent* event) {
    if (event->type() == CmRedrowAndPar()) {
        ApplyInterval(static_cast<RedrawEvent*>(event)->focus());
        return true;
    }
    return QWidget::event(event);
}

void NewTimeDialog::StepField(myTEdit* edit, int direction) {
    bool ok = false;
    int value = edit->text().trimmed().toInt(&ok);
    if (!ok)
        value = direction > 0 ? edit->minimum : edit->maximum;
    else
        value += direction * std::max(edit->step, 1);
    value = std::clamp(value, static_cast<int>(edit->minimum), static_cast<int>(edit->maximum));
    edit->setText(QString::number(value));
    edit->selectAll();
}

bool NewTimeDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            for (myTEdit* edit : {month_, day_, year_})
                if (watched == edit) {
                    StepField(edit, key == Qt::Key_Up ? 1 : -1);
                    return true;
                }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- drawing -------------------------------------------------------------------------------

int NewTimeDialog::IntervalPieces(Piece pieces[2]) const {
    const int x0 = RulerLeft();
    const int beginRight = begin_->x() + begin_->width() - 1;
    const int endLeft = end_->x();
    if (beginRight < endLeft) {
        pieces[0] = {beginRight, endLeft};
        return 1;
    }
    // Past midnight: to the end of the ruler, and from its start to the end marker.
    pieces[0] = {beginRight, x0 + 24 * hourWidth_};
    if (endLeft > x0) {
        pieces[1] = {x0, endLeft};
        return 2;
    }
    return 1;
}

void NewTimeDialog::RedrawRuler() {
    repaint(ruler_->geometry().adjusted(-1, 0, 1, 0));
}

void NewTimeDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = ruler_->geometry();
    const int x0 = r.x(), y0 = r.y();
    const int h = r.height() & ~1;
    const int axisEnd = x0 + 24 * hourWidth_;
    const QColor black(0, 0, 0);

    p.setPen(QPen(black, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(x0, y0 + h / 2, axisEnd, y0 + h / 2);

    p.setPen(QPen(black, 1));
    p.setFont(rulerFont_);
    const QFontMetrics rm(rulerFont_);
    for (int n = 0; n <= 24; ++n) {
        const int x = x0 + n * hourWidth_;
        p.drawLine(x, y0, x, y0 + h);
        const QString label = QString::number(n);
        p.drawText(x - rm.horizontalAdvance(label) / 2, y0 + h + 2 + rm.ascent(), label);
    }
    for (int x = x0 + hourWidth_ / 2; x < axisEnd; x += hourWidth_)
        p.drawLine(x, y0 + h / 4, x, y0 + 3 * h / 4);

    p.setPen(QPen(QColor(255, 0, 0), 3, Qt::SolidLine, Qt::FlatCap));
    Piece pieces[2];
    const int n = IntervalPieces(pieces);
    for (int i = 0; i < n; ++i)
        p.drawLine(pieces[i].from, y0 + h / 2, pieces[i].to, y0 + h / 2);
}
