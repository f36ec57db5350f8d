// app/: the Qt window program: main window, frame timer, splash and desktop shell.
// The splash window, which also serves as the About window: the product's picture with the
// program's version and copyright lines and two link areas. It stays on top until it is clicked,
// then fades out and deletes itself.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <span>

namespace plashbox {

class TzekVersionLabel;

// A see-through area that reports a completed left click (pressed and released over it); it
// shows its picture when it has one.
class TClickArea : public QWidget {
  Q_OBJECT

 public:
  explicit TClickArea(QWidget* Parent);
  const QImage& Picture() const { return Picture_; }
  void SetPicture(const QImage& Picture);

 signals:
  void Clicked();

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;

 private:
  QImage Picture_;
  bool Pressed_ = false;
};

// The splash picture as decoded from JPEG bytes; raises EJpegError for bytes that are not a
// JPEG picture.
QImage DecodeSplashPicture(std::span<const uint8_t> Jpeg);

// Made without an owner and shown, not modal:
//   (new TWELCOME())->show();
// It deletes itself once faded out; the program does not keep the pointer. A splash still up
// when the main window closes does not keep the program running.
class TWELCOME : public QWidget {
  Q_OBJECT

 public:
  static constexpr int ClientWidth = 797, ClientHeight = 501;
  // The window's edge round the client area.
  static constexpr int BorderWidth = 1;
  static constexpr int InitialAlphaBlend = 240;
  static constexpr int FadeStep = 10;
  static constexpr int FadeInterval = 20;  // ms

  explicit TWELCOME(QWidget* Owner = nullptr);

  // Window opacity as a value 0 .. 255; the window's own opacity follows it.
  int AlphaBlendValue() const { return AlphaBlendValue_; }
  bool Fading() const { return Timer1->isActive(); }

  // The picture: a click starts the fade-out.
  void Image1Click();
  // The product's web address, then the fade-out.
  void PaintBox1Click();
  // The maker's web address, then the fade-out.
  void PaintBox2Click();
  // One fade step: opacity down by FadeStep, and at 0 the window is released (deleted once the
  // pending events have been handled).
  void Timer1Timer();

  // Children, owned through Qt's parent links.
  QWidget* Panel1 = nullptr;
  TClickArea* Image1 = nullptr;
  TClickArea* PaintBox1 = nullptr;
  TClickArea* PaintBox2 = nullptr;
  QTimer* Timer1 = nullptr;
  TzekVersionLabel* VersionLabel = nullptr;
  TzekVersionLabel* CopyrightLabel = nullptr;

 protected:
  // Esc closes the window as a click on the picture does.
  void keyPressEvent(QKeyEvent* Event) override;
  // Keeps the window above the program's other main windows as they come up, also where no
  // window manager honours the stay-on-top hint.
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void FormCreate();
  void SetAlphaBlendValue(int Value);
  void CentreOnScreen();
  void OpenAndFade(const char* Address);

  int AlphaBlendValue_ = InitialAlphaBlend;
};

}  // namespace plashbox
