#pragma once
// Reads the clipboard's text for a paste without making the GUI thread wait
// for the program that offers it. On X11, Qt's own clipboard waits for that
// program in the GUI thread, seconds at a time when it does not answer, and
// takes in whatever it is offered, however large. Here the transfer runs on a
// thread of its own, over a connection of its own, gives up after a moment
// and stops as soon as the content is known to be too large for a paste.
// Elsewhere (other platforms, or a clipboard this program owns) Qt's clipboard
// answers at once and is used directly.

#include <QObject>
#include <QString>

class ClipboardReader final : public QObject {
    Q_OBJECT

public:
    enum class Problem { None, NoText, NoAnswer, TooLarge };
    Q_ENUM(Problem)

    using QObject::QObject;

    // Starts reading; finished() follows, at once where nothing can make it
    // wait. Ignored while a read is in progress.
    void Read(qsizetype maxBytes);
    bool Busy() const { return m_busy; }

    static constexpr int kMsPatience = 3000;

signals:
    void finished(const QString& text, ClipboardReader::Problem problem);

private:
    bool m_busy = false;
};
