#include "platform/ui/QtTranslations.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>

TEST(QtTranslations, QtsOwnButtonsSpeakGerman)
{
    ASSERT_TRUE(orvel::InstallQtGermanTranslations(*qApp));
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes
                         | QDialogButtonBox::No);
    const auto label = [&box](QDialogButtonBox::StandardButton which) {
        return box.button(which)->text().remove(u'&');
    };
    EXPECT_EQ(label(QDialogButtonBox::Cancel), QStringLiteral("Abbrechen"));
    EXPECT_EQ(label(QDialogButtonBox::Yes), QStringLiteral("Ja"));
    EXPECT_EQ(label(QDialogButtonBox::No), QStringLiteral("Nein"));
}
