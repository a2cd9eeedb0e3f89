// The site editor's list of site names: one line per site with a mark in front of the names of
// sites that have obstructions. A model and a delegate, not a widget per line, so that lists of tens
// of thousands of sites open and scroll at once; typing the first letters of a name selects it.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>

#include <functional>
#include <vector>

class SiteNameModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void Reset(std::vector<QString> names);
    void Append(const QString& name);
    void Remove(int row);
    void Replace(int row, const QString& name);
    const QString& Name(int row) const { return names_[static_cast<size_t>(row)]; }
    int Count() const { return static_cast<int>(names_.size()); }

private:
    std::vector<QString> names_;
};

// Draws a line in two cells: the mark cell, as wide as the widest character of the font, and the
// name; a selected line white on dark blue.
class SiteNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // `marked` answers whether the site of a line has obstructions.
    SiteNameDelegate(QObject* parent, std::function<bool(int)> marked);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    std::function<bool(int)> marked_;
};

class TSiteListBox : public QListView {
    Q_OBJECT
public:
    TSiteListBox(QWidget* parent, int id, std::function<bool(int)> marked);

    int GetCount() const { return model_->Count(); }
    QString GetString(int row) const { return row >= 0 && row < GetCount() ? model_->Name(row) : QString(); }
    // Changes of the lines; none of them counts as the user's selection.
    void SetStrings(std::vector<QString> names);
    void AddString(const QString& name);
    void DeleteString(int row);
    void ReplaceString(int row, const QString& name);
    // The selected line, -1 when none.
    int GetSelIndex() const;
    // Selects `row` (none for -1) and scrolls it into view, without telling the dialog.
    void SetSelIndex(int row);
    // Draws one line again (its mark may have changed).
    void RedrawEntry(int row);

signals:
    // The user selected another line.
    void SelectionChanged();

private:
    SiteNameModel* model_;
    bool quiet_ = false;
};
