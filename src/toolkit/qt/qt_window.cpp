#include "toolkit/qt/qt_window.h"

#include <cmath>
#include <stdexcept>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "toolkit/control_look.h"
#include "toolkit/qt/qt_fonts.h"

namespace corvantile::toolkit {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Paints the window's surface; the controls are its children, so transparent labels show the
// drawing behind them.
class Canvas : public QWidget {
 public:
  Canvas(QtSurface& surface, std::function<void()> resized, std::function<QSize()> layoutSize,
         QWidget* parent)
      : QWidget(parent),
        surface_(surface),
        resized_(std::move(resized)),
        layoutSize_(std::move(layoutSize)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setObjectName(QStringLiteral("canvas"));
    surface_.onChanged = [this] { update(); };
  }
  ~Canvas() override { surface_.onChanged = nullptr; }

  // A window shown without a size of its own (or maximised where no window manager does it)
  // gets the size of its logical layout rather than none at all.
  QSize sizeHint() const override { return layoutSize_(); }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    const QImage& image = surface_.image();
    painter.drawImage(event->rect(), image,
                      QRectF(QPointF(event->rect().topLeft()) * image.devicePixelRatio(),
                             QSizeF(event->rect().size()) * image.devicePixelRatio()));
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    resized_();
  }

 private:
  QtSurface& surface_;
  std::function<void()> resized_;
  std::function<QSize()> layoutSize_;
};

// A command button that frames itself while it holds the focus (control_look.h's kCommandFocus).
class CommandButton : public QPushButton {
 public:
  CommandButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPushButton::paintEvent(event);
    if (!hasFocus()) return;
    const FocusLook& look = kCommandFocus;
    QPainter painter(this);
    const QColor colour(look.colour.r, look.colour.g, look.colour.b);
    // The pen straddles its path: half the width each side of a rectangle that far in.
    const double middle = look.inset + look.width / 2.0;
    painter.setPen(QPen(colour, look.width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(QRectF(rect()).adjusted(middle, middle, -middle, -middle));
  }
};

}  // namespace

QtWindow::QtWindow(std::string_view name, Frame frame, QWidget* parent) {
  if (frame == Frame::Dialog) {
    top_ = std::make_unique<QDialog>(parent);
  } else {
    top_ = std::make_unique<QWidget>(parent, Qt::Window);
  }
  top_->setObjectName(ToQString(name));
  auto* layout = new QVBoxLayout(top_.get());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  canvas_ = new Canvas(
      surface_, [this] { GrowSurface(); }, [this] { return LayoutPixels(); }, top_.get());
  layout->addWidget(canvas_);
  SetBackground(background_);
}

QtWindow::~QtWindow() {
  controls_.clear();
  top_.reset();
}

QDialog* QtWindow::dialog() const { return qobject_cast<QDialog*>(top_.get()); }

QtControl& QtWindow::Find(std::string_view name) {
  auto it = controls_.find(name);
  if (it == controls_.end()) {
    throw std::out_of_range("window " + top_->objectName().toStdString() +
                            " has no control named " + std::string(name));
  }
  return *it->second;
}

bool QtWindow::Has(std::string_view name) const { return controls_.contains(name); }

QtControl& QtWindow::Add(QWidget* widget, std::string_view name, QtControlKind kind) {
  widget->setObjectName(ToQString(name));
  auto control = std::make_unique<QtControl>(widget, kind, scale_);
  control->SetFont(fontFamily_, fontBold_, fontPoints_);
  QtControl& added = *control;
  controls_[std::string(name)] = std::move(control);
  return added;
}

QtControl& QtWindow::AddButton(std::string_view name, std::string_view text) {
  auto* button = new CommandButton(ToQString(text), canvas_);
  // Return and Enter click the focused button, as Space does.
  button->setAutoDefault(true);
  return Add(button, name, QtControlKind::Button);
}

QtControl& QtWindow::AddLabel(std::string_view name, std::string_view text) {
  auto* label = new QLabel(ToQString(text), canvas_);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return Add(label, name, QtControlKind::Label);
}

QtControl& QtWindow::AddTextBox(std::string_view name) {
  return Add(new QLineEdit(canvas_), name, QtControlKind::TextBox);
}

QtControl& QtWindow::AddOptionButton(std::string_view name, std::string_view text) {
  return Add(new QRadioButton(ToQString(text), canvas_), name, QtControlKind::OptionButton);
}

void QtWindow::SetCaption(const std::string& caption) {
  caption_ = caption;
  top_->setWindowTitle(QString::fromStdString(caption));
}

void QtWindow::SetScale(const LogicalScale& scale) {
  scale_ = scale;
  surface_.SetScale(scale);
  GrowSurface();
}

void QtWindow::SetLayoutSize(double widthUnits, double heightUnits) {
  layoutWidth_ = widthUnits;
  layoutHeight_ = heightUnits;
  GrowSurface();
}

QSize QtWindow::LayoutPixels() const {
  return {static_cast<int>(std::ceil(scale_.XToPixels(layoutWidth_))) + 1,
          static_cast<int>(std::ceil(scale_.YToPixels(layoutHeight_))) + 1};
}

void QtWindow::GrowSurface() {
  surface_.Resize(LayoutPixels().expandedTo(canvas_->size()), canvas_->devicePixelRatioF());
}

void QtWindow::SetFontSize(double points) {
  fontPoints_ = points;
  surface_.SetFont(MakeFont(fontFamily_, fontBold_, points, surface_.image()));
}

void QtWindow::SetFont(std::string_view family, bool bold) {
  fontFamily_ = family;
  fontBold_ = bold;
  SetFontSize(fontPoints_);
}

void QtWindow::SetBackground(Rgb colour) {
  background_ = colour;
  QPalette palette = top_->palette();
  palette.setColor(QPalette::Window, QColor(colour.r, colour.g, colour.b));
  top_->setPalette(palette);
  surface_.SetBackground(colour);
  surface_.Clear();
}

void QtWindow::Close() { top_->close(); }

void QtWindow::ShowMaximized() {
  if (const QScreen* screen = top_->screen()) top_->setGeometry(screen->availableGeometry());
  top_->showMaximized();
}

QImage QtWindow::Render() const { return top_->grab().toImage(); }

}  // namespace corvantile::toolkit
