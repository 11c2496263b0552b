#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QString>
#include <QWidget>

#include "app/main_window.h"
#include "platform/gui_qt.h"

namespace {

// The program links its icon's resources; the window must show that icon, in every size that
// is installed for the desktop, rather than the style's.
TEST(WindowIcon, IsTheInstalledIconInEverySize) {
  create_main_window();
  QWidget* window = main_window_widget();
  ASSERT_NE(window, nullptr);
  const QIcon icon = window->windowIcon();

  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE(size);
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
    const QString installed = QString("%1/%2x%2/apps/fenlowe.png").arg(ICON_THEME_DIR).arg(size);
    const QImage expected = QImage(installed).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_FALSE(expected.isNull()) << installed.toStdString();
    const QImage shown = icon.pixmap(QSize(size, size))
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(shown, expected);
  }
  window->close();
}

}  // namespace
