// A splitter whose one row (or column) can be hidden and brought back at its
// old size, without destroying the pane in it.
#pragma once

#include <QList>
#include <QSplitter>

namespace orlen {

class CHideableSplitter : public QSplitter {
    Q_OBJECT
public:
    // Rows are stacked vertically; columns lie side by side.
    CHideableSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);

    void HideRow(int row);
    void ShowRow();
    void HideColumn(int column) { HideRow(column); }
    void ShowColumn() { ShowRow(); }
    int HiddenRow() const { return hidden_; }
    int HiddenColumn() const { return hidden_; }
    // Gives a pane an ideal size (the other panes share the rest).
    void SetPaneSize(int index, int size);

private:
    int hidden_ = -1;
    QList<int> savedSizes_;
};

} // namespace orlen
