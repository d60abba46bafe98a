#include "base/FileTypes.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <strings.h>
#include <vector>

namespace {

// Every list ends with an empty entry. Entries listed twice stay twice: the index of the
// first one is what callers compare against.
const char *const kSupportRaw[] = {"NEF", "CR3", "RAF", "X3F", "ORF", "ARW", ""};

const char *const kSomeRaw[] = {"PEF", "ARW", "DNG", "RAF", ""};

const char *const kRaw[] = {"PEF", "ARW", "ARM", "DNG", "CR2", "CR3", "NEF", "FFF", "NRW",
                            "MOS", "3FR", "RW2", "RAW", "MRW", "RAF", "ORF", ""};

const char *const kImage[] = {
    "HEIC", "HEIF", "3DM", "3DMF",  "3DS",     "3FR",  "ABM",  "AFX",  "AI",   "ANI",
    "ART",  "ARW",  "BLD", "BLEND", "BMP",     "BOO",  "BR5",  "CDR",  "CDR",  "CDT",
    "CGM",  "CIFF", "CLP", "CMX",   "CONT",    "CPT",  "CR2",  "CR3",  "CRW",  "CUR",
    "CVX",  "DCM",  "DCR", "DCR",   "DIB",     "DNG",  "DRW",  "DS4",  "DSC",  "DT2",
    "DWF",  "DWG",  "EMF", "EMZ",   "ERF",     "FH8",  "FLC",  "FOV",  "FPF",  "FPX",
    "FUJI", "FXG",  "GIF", "HDP",   "HPI",     "ICNS", "ICO",  "IDML", "IFF",  "IMG",
    "INX",  "IPX",  "ISD", "ITC2",  "IV",      "JP2",  "JPEG", "JPG",  "JPX",  "K25",
    "KDC",  "LBM",  "MA",  "MAX",   "MB",      "MDI",  "MDL",  "MDX",  "MINO", "MNG",
    "MOS",  "MRW",  "MSP", "NCR",   "NEF",     "OBJ",  "ORF",  "PAL",  "PAT",  "PBM",
    "PCS",  "PCT",  "PCX", "PEF",   "FFF",     "NRW",  "PGM",  "PIC",  "PICT", "PICTCLIPPING",
    "PNG",  "PPM",  "PSD", "PSP",   "PSPIMGE", "PTX",  "PXN",  "QXD",  "RAF",  "RAS",
    "RAW",  "RELS", "RGB", "RLE",   "RTD",     "RW2",  "SCT",  "SHP",  "SKF",  "SKP",
    "SR2",  "SRF",  "STP", "SVG",   "SVGZ",    "TEX",  "TGA",  "THM",  "TIF",  "TIFF",
    "VWX",  "WB1",  "WBC", "WBD",   "WBMP",    "WBZ",  "WEBP", "WMF",  "WP",   "WPG",
    "X3F",  "XBM",  "XCF", "XPM",   "XPS",     ""};

const char *const kVideo[] = {
    "HEVC", "3G2",   "3GP",   "ANM",      "ASF",    "ASX",    "AVI", "AVS", "CLK", "CPI",
    "DIVX", "DMSM",  "DREAM", "DVDMEDIA", "DVM",    "DVR-MS", "DXR", "F4V", "FBR", "FLA",
    "FLV",  "HDMOV", "M2P",   "M2TS",     "M4P",    "M4V",    "MKV", "MOD", "MOI", "MOV",
    "MP4",  "MPE",   "MPEG",  "MPG",      "MXF",    "OGM",    "PSH", "QT",  "QTM", "RCPROJECT",
    "RM",   "RMVB",  "SCM",   "SMIL",     "SMJPEG", "SRT",    "STX", "SWF", "TIX", "TS",
    "VOB",  "VRO",   "WMV",   "WTV",      "XVID",   "YUV",    ""};

// The drop list is the editing list with NRW moved up to stand right after NEF.
const char *const *dragImageList() {
    static const std::vector<const char *> list = [] {
        std::vector<const char *> v(std::begin(kImage), std::end(kImage));
        auto isName = [](const char *name) {
            return [name](const char *e) { return std::strcmp(e, name) == 0; };
        };
        v.erase(std::find_if(v.begin(), v.end(), isName("NRW")));
        v.insert(std::find_if(v.begin(), v.end(), isName("NEF")) + 1, "NRW");
        return v;
    }();
    return list.data();
}

int32_t lookup(const char *const *list, const char *ext) {
    if (!ext)
        return -1;
    for (int32_t i = 0; list[i][0] != '\0'; ++i) {
        // strcasecmp folds ASCII only, which is what the lists need.
        if (strcasecmp(list[i], ext) == 0)
            return i;
    }
    return -1;
}

int32_t lookupPath(const char *const *list, const QString &pathOrExt) {
    if (pathOrExt.isNull())
        return -1;
    QString ext = pathOrExt;
    if (pathOrExt.contains(QLatin1Char('.')) || pathOrExt.contains(QLatin1Char('/')))
        ext = QFileInfo(pathOrExt).suffix();
    const QByteArray utf8 = ext.toUtf8();
    return lookup(list, utf8.constData());
}

} // namespace

int32_t GetSupportRAWImageType(const char *ext) {
    return lookup(kSupportRaw, ext);
}
int32_t GetSomeRAWImageType(const char *ext) {
    return lookup(kSomeRaw, ext);
}
int32_t GetRAWImageType(const char *ext) {
    return lookup(kRaw, ext);
}
int32_t GetImageType(const char *ext) {
    return lookup(kImage, ext);
}
int32_t GetDragImageType(const char *ext) {
    return lookup(dragImageList(), ext);
}
int32_t GetViedoType(const char *ext) {
    return lookup(kVideo, ext);
}

int32_t GetSupportRAWImageType(const QString &p) {
    return lookupPath(kSupportRaw, p);
}
int32_t GetSomeRAWImageType(const QString &p) {
    return lookupPath(kSomeRaw, p);
}
int32_t GetRAWImageType(const QString &p) {
    return lookupPath(kRaw, p);
}
int32_t GetImageType(const QString &p) {
    return lookupPath(kImage, p);
}
int32_t GetDragImageType(const QString &p) {
    return lookupPath(dragImageList(), p);
}
int32_t GetViedoType(const QString &p) {
    return lookupPath(kVideo, p);
}
