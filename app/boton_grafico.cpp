#include "app/boton_grafico.h"

#include <QHash>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

BotonGrafico::BotonGrafico(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
}

void BotonGrafico::SetPicture(const QString& recurso, int lado) {
    static QHash<QString, QIcon> iconos;
    auto icono = iconos.find(recurso);
    if (icono == iconos.end())
        icono = iconos.insert(recurso, QIcon(recurso));
    m_picture = *icono;
    m_lado = lado;
    update();
}

void BotonGrafico::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (isDown())
        area.translate(1, 1); // the pressed look
    if (!m_picture.isNull()) {
        const QIcon::Mode modo = isEnabled() ? QIcon::Normal : QIcon::Disabled;
        const QRect sitio(area.center().x() - m_lado / 2, area.top() + 2, m_lado, m_lado);
        m_picture.paint(&painter, sitio, Qt::AlignCenter, modo);
        area.setTop(sitio.bottom() + 2);
    }
    int flags = Qt::AlignCenter | Qt::TextWordWrap;
    flags |= style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this) ? Qt::TextShowMnemonic
                                                                             : Qt::TextHideMnemonic;
    style()->drawItemText(&painter, area, flags, palette(), isEnabled(), text(), QPalette::ButtonText);

    if (hasFocus()) {
        QStyleOptionFocusRect foco;
        foco.initFrom(this);
        foco.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, foco);
    }
}
