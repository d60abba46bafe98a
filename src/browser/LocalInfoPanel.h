#pragma once

struct MainWindowController;
class QFormLayout;
class QWidget;

// The local panel's information lines: each value after its caption, one line each, so the
// panel's height never changes with what a photo holds.
QFormLayout *buildLocalInformationLines(MainWindowController &w, QWidget *column);
// The map's slot, always the same height: the map when the photo has a position, else a
// plain "No position" in its place, so the property tree below never jumps.
QWidget *buildLocalMapSlot(MainWindowController &w, QWidget *column);
// The local and library grids' cells, with titles shortened in the middle.
void useFittedCellTitles(MainWindowController &w);
