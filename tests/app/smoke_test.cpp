#include <gtest/gtest.h>

#include <QWidget>

TEST(GuiHarness, BuildsWidgetsOffscreen) {
    QWidget widget;
    widget.setObjectName("probe");
    EXPECT_EQ(widget.objectName(), "probe");
}
