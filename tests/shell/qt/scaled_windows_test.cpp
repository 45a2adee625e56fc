// Every window at 200 % (run with QT_SCALE_FACTOR=2 on a screen of 2048 x 1536 pixels, so the
// program sees its usual 1024 x 768): no text is cut off. Every label's, button's, box's and
// tab's text fits the room its widget gives it, in the metrics of the font it is drawn with.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTextDocument>

#include "window_access.h"

namespace corvantile::testing {
namespace {

// The widest line of `text` in `widget`'s font, in device-independent pixels.
double TextWidth(const QWidget* widget, const QString& text) {
  const QFontMetricsF metrics(widget->font(), widget);
  double widest = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  return widest;
}

// The room a button draws its caption in: beside the indicator of a check or option button.
QRect ButtonTextRoom(const QAbstractButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  option.icon = button->icon();
  option.iconSize = button->iconSize();
  QStyle::SubElement element = QStyle::SE_PushButtonContents;
  if (qobject_cast<const QCheckBox*>(button)) element = QStyle::SE_CheckBoxContents;
  if (qobject_cast<const QRadioButton*>(button)) element = QStyle::SE_RadioButtonContents;
  return button->style()->subElementRect(element, &option, button);
}

// What does not fit in `widget`, one line each ("frmDesign/cmdTee (QPushButton): 'Tee' needs
// 24.5 of 20").
QStringList Clipped(QWidget* widget) {
  QStringList clipped;
  auto check = [&](const QString& text, double needed, double room, const char* what) {
    // A quarter pixel for rounding: what is drawn is whole pixels at the device's resolution.
    if (needed > room + 0.25) {
      clipped << QStringLiteral("%1: %2 '%3' needs %4 of %5")
                     .arg(Describe(widget), QString::fromLatin1(what), text)
                     .arg(needed, 0, 'f', 1)
                     .arg(room, 0, 'f', 1);
    }
  };
  if (const auto* label = qobject_cast<const QLabel*>(widget)) {
    const QString text = label->text();
    if (text.isEmpty() || (label->textFormat() != Qt::PlainText && Qt::mightBeRichText(text))) {
      return clipped;
    }
    const int margin = label->margin();
    const QRect room = label->contentsRect().adjusted(margin, margin, -margin, -margin);
    const QFontMetricsF metrics(label->font(), label);
    if (label->wordWrap()) {
      // Wrapped: every word must still fit across, and the lines down.
      for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")))) {
        check(word, metrics.horizontalAdvance(word), room.width(), "word");
      }
      const QRectF wrapped = metrics.boundingRect(QRectF(room), Qt::TextWordWrap, text);
      check(text, wrapped.height(), room.height(), "height of");
    } else {
      check(text, TextWidth(label, text), room.width(), "text");
      check(text, metrics.height() * (text.count(QLatin1Char('\n')) + 1), room.height(),
            "height of");
    }
  } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
    QString text = button->text();
    text.remove(QLatin1Char('&'));
    if (!text.isEmpty())
      check(text, TextWidth(button, text), ButtonTextRoom(button).width(), "text");
  } else if (const auto* box = qobject_cast<const QLineEdit*>(widget)) {
    if (!box->text().isEmpty()) {
      const int frame = box->hasFrame()
                            ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box)
                            : 0;
      // QLineEdit keeps two pixels clear on either side of its text, inside the frame.
      const QMargins margins = box->textMargins();
      const int room = box->width() - 2 * frame - 4 - margins.left() - margins.right();
      check(box->text(), TextWidth(box, box->text()), room, "text");
    }
  } else if (const auto* tabs = qobject_cast<const QTabBar*>(widget)) {
    for (int i = 0; i < tabs->count(); ++i) {
      QString text = tabs->tabText(i);
      text.remove(QLatin1Char('&'));
      check(text, TextWidth(tabs, text), tabs->tabRect(i).width(), "tab");
    }
  }
  return clipped;
}

class ScaledWindowsTest : public ::testing::TestWithParam<WindowCase> {
 protected:
  ProgramWindows windows;
};

TEST_P(ScaledWindowsTest, NoTextIsCutOff) {
  ASSERT_DOUBLE_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0)
      << "run with QT_SCALE_FACTOR=2";
  QWidget* window = GetParam().open(windows);
  ASSERT_NE(window, nullptr);
  const QImage picture = window->grab().toImage();
  EXPECT_DOUBLE_EQ(picture.devicePixelRatio(), 2.0);
  // CORVANTILE_SCALED_PNG=some/folder writes each window's picture there to look at.
  if (const char* folder = std::getenv("CORVANTILE_SCALED_PNG")) {
    picture.save(QDir(QString::fromLocal8Bit(folder))
                     .filePath(QString::fromLatin1(GetParam().name) + QStringLiteral(".png")));
  }
  int texts = 0;
  QStringList clipped;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (widget->window() != window || !widget->isVisibleTo(window)) continue;
    ++texts;
    clipped << Clipped(widget);
  }
  EXPECT_GT(texts, 3);
  EXPECT_TRUE(clipped.isEmpty()) << clipped.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Windows, ScaledWindowsTest, ::testing::ValuesIn(EveryWindow()),
                         WindowName);

}  // namespace
}  // namespace corvantile::testing
