#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>

namespace orvel::test {

// Runs `drive` on the modal dialog of type D as soon as it is shown. For a
// dialog that opens another one, schedule the inner dialog's drive before
// pressing the button that opens it.
template<class D>
void WhenShown(std::function<void(D &)> drive)
{
    QTimer::singleShot(0, [drive] {
        auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        drive(*dialog);
    });
}

// A click on the box of a check box or radio button: stretched by a layout,
// they take clicks only on their box and label.
inline void ClickBox(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

} // namespace orvel::test
