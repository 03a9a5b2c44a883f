#include "grid/clipboard_reader.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <xcb/xcb.h>

namespace {

struct Reading {
    QByteArray bytes; // UTF-8
    ClipboardReader::Problem problem = ClipboardReader::Problem::NoAnswer;
};

template <typename T> using XcbPtr = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> XcbPtr<T> Own(T* reply) {
    return XcbPtr<T>(reply, &std::free);
}

// One selection transfer, as the X11 conventions (ICCCM) describe it: ask the
// owner to convert the clipboard to UTF-8 text into a property of a window of
// ours, then read the property, in one go or, for large content, in pieces
// (INCR), each one announced by a property change.
class X11Transfer {
public:
    X11Transfer() : m_connection(xcb_connect(nullptr, nullptr)) {}
    ~X11Transfer() { xcb_disconnect(m_connection); }
    X11Transfer(const X11Transfer&) = delete;
    X11Transfer& operator=(const X11Transfer&) = delete;

    Reading Run(qsizetype maxBytes) {
        Reading result;
        if (xcb_connection_has_error(m_connection) || !CreateWindow())
            return result;
        const xcb_atom_t clipboard = Atom("CLIPBOARD"), utf8 = Atom("UTF8_STRING"),
                         incr = Atom("INCR");
        xcb_convert_selection(m_connection, m_window, clipboard, utf8, m_property,
                              XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        auto notice = Own(WaitFor(XCB_SELECTION_NOTIFY));
        if (!notice)
            return result; // the owner never answered
        if (reinterpret_cast<xcb_selection_notify_event_t*>(notice.get())->property == XCB_NONE) {
            result.problem = ClipboardReader::Problem::NoText;
            return result;
        }
        auto head = Own(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, m_window, m_property, XCB_ATOM_ANY, 0, 1), nullptr));
        if (!head)
            return result;
        if (head->type != incr && head->type != utf8 && head->type != XCB_ATOM_STRING) {
            result.problem = ClipboardReader::Problem::NoText; // offered as something else
            return result;
        }
        if (head->type != incr) {
            if (qsizetype(head->bytes_after) + xcb_get_property_value_length(head.get()) >
                maxBytes) {
                result.problem = ClipboardReader::Problem::TooLarge;
                return result;
            }
            return TakeProperty(result) ? Done(result) : result;
        }
        // INCR: the property holds a lower bound of the size; deleting it
        // asks for the first piece; an empty piece ends the transfer.
        const qsizetype announced =
            xcb_get_property_value_length(head.get()) >= 4
                ? *static_cast<const quint32*>(xcb_get_property_value(head.get()))
                : 0;
        if (announced > maxBytes) {
            result.problem = ClipboardReader::Problem::TooLarge;
            return result;
        }
        xcb_delete_property(m_connection, m_window, m_property);
        xcb_flush(m_connection);
        for (;;) {
            if (!WaitForNewPiece())
                return result;
            const qsizetype before = result.bytes.size();
            if (!TakeProperty(result))
                return result;
            if (result.bytes.size() == before)
                return Done(result);
            if (result.bytes.size() > maxBytes) {
                result.problem = ClipboardReader::Problem::TooLarge;
                return result;
            }
        }
    }

private:
    static Reading& Done(Reading& result) {
        result.problem = result.bytes.isEmpty() ? ClipboardReader::Problem::NoText
                                                : ClipboardReader::Problem::None;
        return result;
    }

    bool CreateWindow() {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        if (!screen)
            return false;
        m_window = xcb_generate_id(m_connection);
        const quint32 events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK,
                          &events);
        m_property = Atom("VELTRANA_PEGADO");
        return m_property != XCB_NONE;
    }

    xcb_atom_t Atom(const char* name) {
        auto reply = Own(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, quint16(strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_NONE);
    }

    // Appends the property's whole value and deletes it, which tells an INCR
    // owner to send the next piece.
    bool TakeProperty(Reading& result) {
        auto value =
            Own(xcb_get_property_reply(m_connection,
                                       xcb_get_property(m_connection, 1, m_window, m_property,
                                                        XCB_ATOM_ANY, 0, UINT32_MAX / 4),
                                       nullptr));
        if (!value)
            return false;
        result.bytes.append(static_cast<const char*>(xcb_get_property_value(value.get())),
                            xcb_get_property_value_length(value.get()));
        xcb_flush(m_connection);
        return true;
    }

    bool WaitForNewPiece() {
        for (;;) {
            auto event = Own(WaitFor(XCB_PROPERTY_NOTIFY));
            if (!event)
                return false;
            const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event.get());
            if (change->atom == m_property && change->state == XCB_PROPERTY_NEW_VALUE)
                return true;
        }
    }

    // The next event of that type, or null once the owner has had its time.
    xcb_generic_event_t* WaitFor(quint8 type) {
        const QDeadlineTimer deadline(ClipboardReader::kMsPatience);
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                if ((event->response_type & 0x7f) == type)
                    return event;
                std::free(event);
            }
            if (xcb_connection_has_error(m_connection) || deadline.hasExpired())
                return nullptr;
            pollfd ready{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&ready, 1, int(deadline.remainingTime()));
        }
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_property = XCB_NONE;
};

} // namespace

void ClipboardReader::Read(qsizetype maxBytes) {
    if (m_busy)
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || clipboard->ownsClipboard()) {
        const QString text = clipboard->text();
        emit finished(text, text.isEmpty() ? Problem::NoText : Problem::None);
        return;
    }
    m_busy = true;
    auto reading = std::make_shared<Reading>();
    // Not a child: if the program ends while the owner keeps it waiting, the
    // thread is left to end with the process.
    QThread* thread =
        QThread::create([reading, maxBytes] { *reading = X11Transfer().Run(maxBytes); });
    connect(thread, &QThread::finished, this, [this, reading] {
        m_busy = false;
        emit finished(reading->problem == Problem::None ? QString::fromUtf8(reading->bytes)
                                                        : QString(),
                      reading->problem);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}
