#pragma once

#include <QIcon>
#include <QString>

class QWidget;

namespace ui {

// The skin: a Qt style sheet at the program's folder + "/x/o.cjs". When it is
// there, the login page takes the face colour and the sheet is applied to the
// whole application. Throws when the file is there but cannot be read.
void ApplySkin(QWidget* loginPage, const QString& programFolder);

// Gives a page, its frames, labels and check boxes the system face colour.
void ApplyFaceColour(QWidget* page);

// The program icon, for every page's title bar.
QIcon ProgramIcon();

// The hand cursor file beside the program: programFolder + "/HAND-M.CUR".
QString HandCursorPath(const QString& programFolder);

// Loads a cursor file as the page's custom pointer. Throws when the file
// cannot be read as a cursor.
void LoadHandCursor(QWidget* page, const QString& path);

// Fonts, sizes and the hover rules of one page, set up once as it is created.
void DressPage(QWidget* page);

}  // namespace ui
