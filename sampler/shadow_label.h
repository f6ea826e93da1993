#pragma once
// A one-line caption drawn twice: a black shadow two pixels down and to the
// right, the text itself on top (the sampler's header: aqua bold Verdana).
#include <QWidget>

namespace marvessa {

class TShadowLabel : public QWidget {
  Q_OBJECT

 public:
  explicit TShadowLabel(QWidget* parent = nullptr);
  QString text() const { return text_; }
  void setText(const QString& text);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
};

}  // namespace marvessa
