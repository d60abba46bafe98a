#pragma once

#include <functional>

#include "export/core/PlainExport.h"
#include "metadata/core/WriteRecipe.h"

#include <QString>
#include <QVariantMap>

// Copies of library photos with what the library holds for them (title, caption, keywords,
// camera date, position) written into the file, through the write recipe.

// Which groups of the library's values a copy takes.
struct LibraryKeys {
    bool title = true, description = true, keywords = true, cameraDate = true, gps = true,
         altitude = true;
    static LibraryKeys all() { return {}; }
    static LibraryKeys none() { return {false, false, false, false, false, false}; }
};

// How the copy's file dates are chosen.
enum class LibraryDateRule {
    // The library's creation date when the file's own differs, else the source's dates.
    LibraryCreation,
    // The original file's creation date text, else the source's creation date.
    FileCreation,
};

enum class LibraryLayout { Flat, YearMonth, AlbumOrYearMonth };

struct LibraryExportSettings {
    QString storageFolder;
    bool edited = false;
    LibraryKeys keys;
    LibraryDateRule dateRule = LibraryDateRule::LibraryCreation;
    LibraryLayout layout = LibraryLayout::Flat;
    // The edit sheet's altitude field and the text it was given: a changed one is written.
    QString altitudeText, shownAltitudeText;
    // Leaves unwritten each photo whose file already holds the library's title, caption,
    // keywords and position (ExportOutcome::agrees), as a library merge copies those as they are.
    bool onlyWhereTheFileDisagrees = false;
};

// Writes the library record's values that differ from the original file record's into
// `working` (the properties of image 0). The file's own {GPS} keys are kept; a photo the
// library gives no position keeps the file's; keywords go out as a list; the library's
// empty texts (it keeps no author or comment) never blank the file's values; a camera date
// the library scan could not read is not written.
void applyLibraryValues(QVariantMap &working, const PRPicFileInfo &file,
                        const PRPicFileInfo &library, const LibraryExportSettings &settings);

// The recipe's placement of one photo of such an export (source, folder, names, dates);
// the item's originalFileNode must have been refreshed.
RecipePlacement libraryPlacement(const ExportEntry &entry, const LibraryExportSettings &settings);

// The recipe's options for such an export: each photo's original record is refreshed on
// its worker just before its placement and change are decided.
WriteRecipeOptions libraryRecipeOptions(const QList<ExportEntry> &entries,
                                        const LibraryExportSettings &settings);
// The recipe's report as the export's, photos named by their library file names.
ExportReport libraryExportReport(const QList<ExportEntry> &entries,
                                 const LibraryExportSettings &settings,
                                 const WriteRecipeReport &written);
// The entries the write recipe takes: the photos, and the videos only in iCloud whose
// thumbnail stands in for them. Other videos go out through withLibraryVideos.
QList<ExportEntry> libraryStillEntries(const QList<ExportEntry> &entries,
                                       const LibraryExportSettings &settings);
// The report of all `entries`: the photos' outcomes from `stills` (the report over
// libraryStillEntries), each video exported now, copied with the library's title, position and
// camera date in its QuickTime boxes where exiftool can write them, else byte for byte.
// Once `cancelled` says so (asked before each video) no further video is exported; each is
// named as cancelled. `progress` hears (videos done, videos) after each.
ExportReport withLibraryVideos(const QList<ExportEntry> &entries,
                               const LibraryExportSettings &settings, const ExportReport &stills,
                               const std::function<bool()> &cancelled = {},
                               const std::function<void(int done, int total)> &progress = {});

// The whole export over a snapshot, waiting for its end (for callers without a window).
ExportReport exportWithLibraryMetadata(const QList<ExportEntry> &entries,
                                       const LibraryExportSettings &settings);

// Byte-for-byte copies dated by the library's creation date (when the file's own differs),
// flat in the storage folder. Once `cancelled` answers true the rest are left out.
ExportReport exportWithLibraryCreationDate(const QList<ExportEntry> &entries,
                                           const QString &storageFolder,
                                           const std::function<bool()> &cancelled = {});

// The texts of the original-photo panel, as typed.
struct PanelValues {
    QString latitude, longitude, cameraDate, artist, description, copyright, make, model, lensMake,
        lensModel, comment, keywords, title;
};
// Writes each panel text that differs from the file record's into `working`; an emptied
// field empties the file's value. Only a position on the globe and a readable date are
// written: a typing slip never becomes 0, 0 or a date of text.
void applyPanelValues(QVariantMap &working, const PRPicFileInfo &file, const PanelValues &panel);
// The recipe's options for copies with the panel's values: flat under each photo's name (then
// the next free "B n.E"), dated by the typed camera date when it changed.
WriteRecipeOptions panelRecipeOptions(const QList<ExportEntry> &entries,
                                      const QString &storageFolder, const PanelValues &panel);
