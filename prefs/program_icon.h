#pragma once
// The picture of a program for a run button: the icon named by the
// program's desktop entry, else the icon theme's icon of the program's name,
// else a calculator drawn by us (the calculator button's designed picture).
#include <QIcon>
#include <QStringList>

namespace marvessa {

// Icon name or file given by the desktop entry whose Exec line starts the
// program (by its path or by its file name); empty when none does.
// `folders` are searched in order, the first entry found wins.
QString DesktopEntryIcon(const QString& program, const QStringList& folders);

QIcon ProgramIcon(const QString& program);

QIcon CalculatorPicture();

}  // namespace marvessa
