#pragma once
// A push button in the classic "graphical" style: an optional picture above a
// caption that wraps onto several lines, as the narrow buttons of the screens
// need. The caption keeps its "&" access key.

#include <QIcon>
#include <QPushButton>

class BotonGrafico : public QPushButton {
    Q_OBJECT

public:
    explicit BotonGrafico(const QString& caption, QWidget* parent = nullptr);

    // The picture from the program's resources. One icon per picture for the
    // whole run: Qt caches every icon's scaled pixmaps under the icon's own
    // key, so an icon made afresh for each screen would add to the cache
    // every time a screen is opened.
    void SetPicture(const QString& recurso, int lado);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QIcon m_picture;
    int m_lado = 0;
};
