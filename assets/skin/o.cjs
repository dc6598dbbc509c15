/* Tablewright sample skin: a calm slate-and-amber look.
 *
 * A skin is a Qt style sheet. Put it beside the program as x/o.cjs
 * (the program's folder, then x/o.cjs) and every page wears it.
 * Fonts and sizes stay those of the pages; the sheet sets colours,
 * borders and the push buttons' shape.
 */

/* Pages (every page of the wizard is a pages::WizardPage), their frames,
 * labels and the check box share one face. */
pages--WizardPage,
QGroupBox, QLabel, QCheckBox {
    background-color: #e9eef3;
    color: #1f2d3a;
}

QGroupBox {
    border: 1px solid #a9b8c6;
    border-radius: 6px;
    margin-top: 7px;
}
QGroupBox::title {
    subcontrol-origin: margin;
    left: 10px;
    padding: 0 4px;
    color: #1b4f6b;
}

QLineEdit, QListWidget, QTableView {
    background-color: #ffffff;
    color: #1f2d3a;
    border: 1px solid #a9b8c6;
    border-radius: 3px;
    selection-background-color: #2f7f9e;
    selection-color: #ffffff;
}
QLineEdit:focus, QListWidget:focus, QTableView:focus {
    border: 1px solid #2f7f9e;
}
QLineEdit {
    padding: 0 4px;
}

QHeaderView::section {
    background-color: #d5dee7;
    color: #1b4f6b;
    border: none;
    border-right: 1px solid #b7c5d2;
    border-bottom: 1px solid #b7c5d2;
    padding: 2px 4px;
}
QTableView {
    gridline-color: #d5dee7;
}

QPushButton {
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #3a8db0, stop: 1 #25698a);
    color: #ffffff;
    border: 1px solid #1b4f6b;
    border-radius: 5px;
}
QPushButton:hover {
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #f5b85a, stop: 1 #e0922a);
    border-color: #a9681a;
}
QPushButton:pressed {
    background-color: #1b4f6b;
}
QPushButton:disabled {
    background-color: #c3ced8;
    color: #eef2f6;
    border-color: #aab8c5;
}

QProgressBar {
    background-color: #ffffff;
    border: 1px solid #a9b8c6;
    border-radius: 3px;
}
QProgressBar::chunk {
    background-color: #f2a93b;
}
