#include "ui/commands.h"

#include <QCoreApplication>
#include <QMetaObject>

void PostCommand(QObject* receiver, CommandTarget* target, int id) {
    // The receiver is the context: a destroyed receiver drops the call.
    QMetaObject::invokeMethod(
        receiver, [target, id] { target->Command(id); }, Qt::QueuedConnection);
}

QEvent::Type CmRedrowAndPar() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QEvent::Type CmRedrowAndParFloat() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void PostRedraw(QObject* receiver, QEvent::Type type, QWidget* focus) {
    if (receiver)
        QCoreApplication::postEvent(receiver, new RedrawEvent(type, focus));
}

QString ControlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

int ControlId(const QObject* control) {
    if (!control)
        return 0;
    const QString name = control->objectName();
    if (!name.startsWith(QLatin1String("id")))
        return 0;
    bool ok = false;
    int id = name.mid(2).toInt(&ok);
    return ok ? id : 0;
}
