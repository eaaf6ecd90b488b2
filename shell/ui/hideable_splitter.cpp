#include "shell/ui/hideable_splitter.h"

#include <QApplication>

namespace orlen {

CHideableSplitter::CHideableSplitter(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent) {
    setChildrenCollapsible(false);
}

void CHideableSplitter::HideRow(int row) {
    if (row < 0 || row >= count() || hidden_ >= 0) {
        return;
    }
    hidden_ = row;
    savedSizes_ = sizes();
    QWidget* pane = widget(row);
    // The pane that had the focus hands it to the next one (wrapping round).
    QWidget* focus = QApplication::focusWidget();
    const bool hadFocus = focus != nullptr && (focus == pane || pane->isAncestorOf(focus));
    pane->hide();
    if (hadFocus && count() > 1) {
        QWidget* next = widget((row + 1) % count());
        next->setFocus(Qt::OtherFocusReason);
    }
}

void CHideableSplitter::ShowRow() {
    if (hidden_ < 0) {
        return;
    }
    QWidget* pane = widget(hidden_);
    hidden_ = -1;
    pane->show();
    if (!savedSizes_.isEmpty()) {
        setSizes(savedSizes_);
    }
}

void CHideableSplitter::SetPaneSize(int index, int size) {
    QList<int> current = sizes();
    if (index < 0 || index >= current.size()) {
        return;
    }
    int total = 0;
    for (int s : current) {
        total += s;
    }
    if (total <= 0) {
        total = orientation() == Qt::Horizontal ? width() : height();
    }
    const int others = current.size() - 1;
    for (int i = 0; i < current.size(); ++i) {
        current[i] = i == index ? size : std::max(1, (total - size) / std::max(1, others));
    }
    setSizes(current);
}

} // namespace orlen
