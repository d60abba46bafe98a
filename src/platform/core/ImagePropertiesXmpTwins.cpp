#include "platform/core/ImagePropertyTables.h"

#include <QStringList>

namespace {

const XmpTwin kTwins[] = {
    {"ObjectName", "Xmp.dc.title", "XMP-dc:Title", false},
    {"Caption/Abstract", "Xmp.dc.description", "XMP-dc:Description", false},
    {"CopyrightNotice", "Xmp.dc.rights", "XMP-dc:Rights", false},
    {"Keywords", "Xmp.dc.subject", "XMP-dc:Subject", true},
    {"By-line", "Xmp.dc.creator", "XMP-dc:Creator", false},
    {"By-lineTitle", "Xmp.photoshop.AuthorsPosition", "XMP-photoshop:AuthorsPosition", false},
    {"Headline", "Xmp.photoshop.Headline", "XMP-photoshop:Headline", false},
    {"Credit", "Xmp.photoshop.Credit", "XMP-photoshop:Credit", false},
    {"Source", "Xmp.photoshop.Source", "XMP-photoshop:Source", false},
    {"City", "Xmp.photoshop.City", "XMP-photoshop:City", false},
    {"Province/State", "Xmp.photoshop.State", "XMP-photoshop:State", false},
    {"Country/PrimaryLocationName", "Xmp.photoshop.Country", "XMP-photoshop:Country", false},
    {"Country/PrimaryLocationCode", "Xmp.iptc.CountryCode", "XMP-iptcCore:CountryCode", false},
    {"SubLocation", "Xmp.iptc.Location", "XMP-iptcCore:Location", false},
    {"SpecialInstructions", "Xmp.photoshop.Instructions", "XMP-photoshop:Instructions", false},
    {"Writer/Editor", "Xmp.photoshop.CaptionWriter", "XMP-photoshop:CaptionWriter", false},
    {"Category", "Xmp.photoshop.Category", "XMP-photoshop:Category", false},
    {"SupplementalCategory", "Xmp.photoshop.SupplementalCategories",
     "XMP-photoshop:SupplementalCategories", true},
    {"OriginalTransmissionReference", "Xmp.photoshop.TransmissionReference",
     "XMP-photoshop:TransmissionReference", false},
};

} // namespace

std::span<const XmpTwin> iptcXmpTwins() {
    return kTwins;
}

void readIptcFromXmp(const Exiv2::XmpData &xmp, QVariantMap &out) {
    QVariantMap dict;
    for (const XmpTwin &t : kTwins) {
        const auto it = xmp.findKey(Exiv2::XmpKey(t.exiv2Key));
        if (it == xmp.end() || it->count() == 0)
            continue;
        const Exiv2::Value &v = it->value();
        if (t.list) {
            QStringList list;
            for (long i = 0; i < v.count(); ++i)
                list << QString::fromStdString(v.toString(i));
            dict.insert(QLatin1String(t.key), list);
        } else {
            // For language alternatives this is the x-default text, for sequences the first.
            dict.insert(QLatin1String(t.key), QString::fromStdString(v.toString(0)));
        }
    }
    if (!dict.isEmpty())
        out.insert(QStringLiteral("{IPTC}"), dict);
}
