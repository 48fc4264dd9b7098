// Comparing a recorded message box in a suite: its title and text, each on its own so that a
// failure names the one that differs.
#ifndef QETO_TEST_BOX_CHECKS_H
#define QETO_TEST_BOX_CHECKS_H

#include <QtTest>

#include "modal_box.h"

#define QCOMPARE_BOX(box, boxTitle, boxText)      \
    do {                                          \
        QCOMPARE((box).title, QString(boxTitle)); \
        QCOMPARE((box).text, QString(boxText));   \
    } while (false)

#endif  // QETO_TEST_BOX_CHECKS_H
