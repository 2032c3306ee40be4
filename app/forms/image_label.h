#pragma once
// A button of the main window's front panel: a label on the panel artwork that draws its own key
// face and reports clicks and button presses.
#include <QLabel>

namespace qlnrec::app {

class ImageLabel : public QLabel {
    Q_OBJECT
public:
    enum class Face { Key, RedKey, GreenKey, Transparent };
    enum class Glyph { None, Play, Stop, Pause, Minimise };

    ImageLabel(const QString& objectName, QWidget* parent);

    void setFace(Face face)
    {
        face_ = face;
        update();
    }
    void setGlyph(Glyph glyph)
    {
        glyph_ = glyph;
        update();
    }
    // The caption drawn on the key (the label's text is not shown as plain text).
    void setCaption(const QString& caption)
    {
        caption_ = caption;
        update();
    }
    const QString& caption() const { return caption_; }
    bool isHovered() const { return hovered_; }

signals:
    // A left-button press and release over the label.
    void clicked();
    // Any mouse button going down over the label.
    void pressed(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    Face face_ = Face::Key;
    Glyph glyph_ = Glyph::None;
    QString caption_;
    bool hovered_ = false;
    bool down_ = false;
};

} // namespace qlnrec::app
