#pragma once

#include <QIcon>
#include <QString>

class QWidget;

namespace look {

struct PageLook;

// The skin: a Qt style sheet at the program's folder + "/x/o.cjs". Only a
// regular file counts. When it is there, the login page takes the face colour
// and the sheet is applied to the whole application. Throws when the file is
// there but cannot be read or is no style sheet.
void ApplySkin(QWidget* loginPage, const QString& programFolder);

// Gives a page, its frames, labels, check boxes and option buttons the
// system face colour (the palette's button colour).
void ApplyFaceColour(QWidget* page);

// The program icon (32, 48, 128 and 256 pixels), for every page's title bar.
QIcon ProgramIcon();

// The hand cursor file beside the program: programFolder + "/HAND-M.CUR".
QString HandCursorPath(const QString& programFolder);

// Loads a Windows cursor file as the page's custom pointer image. Throws
// when the file cannot be read as a cursor.
void LoadHandCursor(QWidget* page, const QString& path);

// The look a page has as laid out, before its load runs: white background
// and frames, the typography, its fixed client size, the hover rules and the
// ring around a focused list.
void DressPage(QWidget* page, const PageLook& look);

}  // namespace look
