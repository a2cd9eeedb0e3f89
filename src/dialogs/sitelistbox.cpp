#include "dialogs/sitelistbox.h"

#include <QPainter>

#include "base/strings.h"
#include "ui/commands.h"

// ---- SiteNameModel -------------------------------------------------------------------------

int SiteNameModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant SiteNameModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return Name(index.row());
    return {};
}

void SiteNameModel::Reset(std::vector<QString> names) {
    beginResetModel();
    names_ = std::move(names);
    endResetModel();
}

void SiteNameModel::Append(const QString& name) {
    beginInsertRows(QModelIndex(), Count(), Count());
    names_.push_back(name);
    endInsertRows();
}

void SiteNameModel::Remove(int row) {
    if (row < 0 || row >= Count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    names_.erase(names_.begin() + row);
    endRemoveRows();
}

void SiteNameModel::Replace(int row, const QString& name) {
    if (row < 0 || row >= Count())
        return;
    names_[static_cast<size_t>(row)] = name;
    emit dataChanged(index(row), index(row));
}

// ---- SiteNameDelegate ----------------------------------------------------------------------

SiteNameDelegate::SiteNameDelegate(QObject* parent, std::function<bool(int)> marked)
    : QStyledItemDelegate(parent), marked_(std::move(marked)) {}

void SiteNameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QColor background = selected ? QColor(0, 0, 80) : option.palette.color(QPalette::Base);
    const QColor text = selected ? QColor(255, 255, 255) : option.palette.color(QPalette::Text);
    const QFontMetrics metrics(option.font);
    const QRect line = option.rect;
    QRect markCell(line.left(), line.top(), metrics.maxWidth(), line.height());
    QRect nameCell(markCell.right() + 1, line.top(), line.right() - markCell.right(), line.height());

    painter->save();
    painter->setFont(option.font);
    // Both cells opaque and clipped, the text one pixel in from the cell's corner.
    painter->fillRect(line, background);
    painter->setClipRect(markCell);
    if (marked_ && marked_(index.row())) {
        painter->setPen(QColor(0, 255, 0));
        painter->drawText(markCell.adjusted(1, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          QString::fromStdString(ResString(IDS_SITEDLG_OBSTRUCTION_MARK)));
    }
    painter->setClipRect(nameCell);
    painter->setPen(text);
    painter->drawText(nameCell.adjusted(1, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    painter->setClipping(false);
    if (option.state & QStyle::State_HasFocus) {
        QPen dotted(selected ? QColor(255, 255, 255) : text, 1, Qt::DotLine);
        painter->setPen(dotted);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(line.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QSize SiteNameDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QFontMetrics metrics(option.font);
    return QSize(metrics.maxWidth() + metrics.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 4,
                 metrics.height() + 2);
}

// ---- TSiteListBox --------------------------------------------------------------------------

TSiteListBox::TSiteListBox(QWidget* parent, int id, std::function<bool(int)> marked)
    : QListView(parent), model_(new SiteNameModel(this)) {
    setObjectName(ControlName(id));
    setModel(model_);
    setItemDelegate(new SiteNameDelegate(this, std::move(marked)));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One line height for all: the view never measures every name of a long list.
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (!quiet_)
            emit SelectionChanged();
    });
    // A click beside the names, or Ctrl with a click on the highlighted one, takes the highlight off
    // a site the form still shows, and Delete would then remove a site nothing points at: it stays.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndex current = currentIndex();
        if (quiet_ || !current.isValid() || selectionModel()->isSelected(current))
            return;
        quiet_ = true;
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
        quiet_ = false;
    });
}

void TSiteListBox::SetStrings(std::vector<QString> names) {
    quiet_ = true;
    model_->Reset(std::move(names));
    quiet_ = false;
}

void TSiteListBox::AddString(const QString& name) {
    quiet_ = true;
    model_->Append(name);
    quiet_ = false;
}

void TSiteListBox::DeleteString(int row) {
    quiet_ = true;
    model_->Remove(row);
    quiet_ = false;
}

void TSiteListBox::ReplaceString(int row, const QString& name) {
    model_->Replace(row, name);
}

int TSiteListBox::GetSelIndex() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TSiteListBox::SetSelIndex(int row) {
    quiet_ = true;
    if (row >= 0 && row < GetCount()) {
        const QModelIndex index = model_->index(row);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        scrollTo(index);
    } else {
        selectionModel()->clear();
    }
    quiet_ = false;
}

void TSiteListBox::RedrawEntry(int row) {
    if (row >= 0 && row < GetCount())
        update(model_->index(row));
}
