#include "look/typography.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QWidget>

namespace look {
namespace {

QFont Arial(qreal points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

}  // namespace

QFont ButtonFont() { return Arial(11.25, true); }

QFont TextFont() { return Arial(9, true); }

QFont PageFont(bool bold) { return Arial(9, bold); }

void ApplyTypography(QWidget* page, bool boldPageFont) {
    page->setFont(PageFont(boldPageFont));
    for (QWidget* control : page->findChildren<QWidget*>()) {
        control->setFont(qobject_cast<QPushButton*>(control) != nullptr ? ButtonFont() : TextFont());
    }
    // Some platform themes give headings a font of their own; the grid's
    // headings use the text font like its cells. Its rows are one line of
    // that text high, as in a data grid, rather than the style's roomy
    // default, and long values are cut short rather than wrapped.
    const int rowHeight = QFontMetrics(TextFont()).height() + 6;
    for (QTableView* grid : page->findChildren<QTableView*>()) {
        grid->horizontalHeader()->setFont(TextFont());
        grid->verticalHeader()->setFont(TextFont());
        grid->verticalHeader()->setMinimumSectionSize(rowHeight);
        grid->verticalHeader()->setDefaultSectionSize(rowHeight);
        grid->setWordWrap(false);
    }
}

}  // namespace look
