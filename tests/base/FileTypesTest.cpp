#include "base/FileTypes.h"

#include <gtest/gtest.h>

TEST(FileTypes, LookupIgnoresCaseAndTakesFirstMatch) {
    EXPECT_EQ(GetSupportRAWImageType("nef"), 0);
    EXPECT_EQ(GetSupportRAWImageType("NEF"), 0);
    EXPECT_EQ(GetSupportRAWImageType("Nef"), 0);
    EXPECT_EQ(GetImageType("jpeg"), 66);
    EXPECT_EQ(GetImageType("JPG"), 67);
    EXPECT_EQ(GetImageType("HEIC"), 0);
    EXPECT_EQ(GetImageType("xps"), 144);
    EXPECT_EQ(GetImageType("CDR"), 17); // listed twice: the first place counts
    EXPECT_EQ(GetDragImageType("cdr"), 17);
    EXPECT_EQ(GetImageType("DCR"), 32);
    EXPECT_EQ(GetImageType("NRW"), 95);
    EXPECT_EQ(GetDragImageType("NRW"), 85);
    EXPECT_EQ(GetImageType("OBJ"), 85);
    EXPECT_EQ(GetDragImageType("OBJ"), 86);
    EXPECT_EQ(GetImageType("PGM"), 96);
    EXPECT_EQ(GetDragImageType("PGM"), 96);
    EXPECT_EQ(GetRAWImageType("orf"), 15);
    EXPECT_EQ(GetSomeRAWImageType("raf"), 3);
    EXPECT_EQ(GetViedoType("hevc"), 0);
    EXPECT_EQ(GetViedoType("mov"), 29);
    EXPECT_EQ(GetViedoType("Mp4"), 30);
    EXPECT_EQ(GetViedoType("dvr-ms"), 15);
    EXPECT_EQ(GetViedoType("yuv"), 55);
}

TEST(FileTypes, UnknownEmptyAndNullGiveMinusOne) {
    EXPECT_EQ(GetImageType(""), -1);
    EXPECT_EQ(GetImageType(static_cast<const char *>(nullptr)), -1);
    EXPECT_EQ(GetImageType("jpgx"), -1);
    EXPECT_EQ(GetImageType("jp"), -1);
    EXPECT_EQ(GetViedoType("jpg"), -1);
    EXPECT_EQ(GetSupportRAWImageType("DNG"), -1);
    // Non-ASCII letters are not folded.
    EXPECT_EQ(GetImageType("jpé"), -1);
}

TEST(FileTypes, PathOverloadsUseTheExtension) {
    EXPECT_EQ(GetImageType(QStringLiteral("/photos/St James Park.jpg")), 67);
    EXPECT_EQ(GetImageType(QStringLiteral("/photos/IMG_1994.JPG")), 67);
    EXPECT_EQ(GetViedoType(QStringLiteral("/a.b/clip.mp4")), 30);
    EXPECT_EQ(GetImageType(QStringLiteral("/a.jpg/noextension")), -1);
    EXPECT_EQ(GetImageType(QString()), -1);
    EXPECT_EQ(GetSupportRAWImageType(QStringLiteral("nef")), 0);
}
