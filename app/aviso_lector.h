#pragma once
// A sentence for screen readers that no control taking the focus carries:
// why the cell just reopened was refused, which link Tab reached, where a
// followed link led. Qt 6.4 has no announcement event, but readers speak a
// notification as soon as it appears; so this is a widget that draws nothing
// and is shown anew for each sentence.

#include <QWidget>

class AvisoLector final : public QWidget {
    Q_OBJECT

public:
    explicit AvisoLector(QWidget* padre);

    // Heard after what the reader is saying of the focus. Nothing happens
    // while no assistive tool is listening.
    void Decir(const QString& frase);
};
