#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"
#include "support/TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

// Changing one IPTC dataset erases and re-adds entries; the datasets read after it must
// still be the photo's own.
TEST(IptcRewrite, ChangingOneDatasetKeepsTheOthers) {
    QFile file(fixturePath("St James Park.jpg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const ImageSource source(file.readAll());
    ASSERT_TRUE(source.isValid());
    const QVariantMap before = source.properties(0).value("{IPTC}").toMap();
    ASSERT_EQ(before.value("Keywords").toStringList().size(), 6);

    for (const char *key : {"ObjectName", "Keywords"}) {
        QVariantMap iptc = before;
        iptc.insert(key, QLatin1String(key) == "Keywords" ? QVariant(QStringList{"one"})
                                                          : QVariant("New title"));
        QByteArray out;
        ImageDestination dest(&out, source.type(), source.count());
        dest.addImageFromSource(source, 0, QVariantMap{{"{IPTC}", iptc}});
        ASSERT_TRUE(dest.finalize()) << dest.errorString().toStdString();
        const QVariantMap after = ImageSource(out).properties(0).value("{IPTC}").toMap();
        EXPECT_EQ(after, iptc) << key;
    }
}
