// The invoke command: runs one of the program's own public slots by name,
// with its arguments converted from words, through the error guard.
#include "automation/automationcommands.h"

#include "automation/automationwords.h"
#include "link/errorreporter.h"

#include <QMetaMethod>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <memory>
#include <vector>

using namespace automation;

namespace {

constexpr int kMaxSlotArguments = 3;

// One argument of a slot, converted from its word.
struct SlotArgument
{
    QByteArray typeName;
    int intValue = 0;
    bool boolValue = false;
    QString stringValue;
    QByteArray bytesValue;
    QPointer<QObject> objectTarget;
    QObject *objectValue = nullptr;
    int kind = 0; // QMetaType id, or -1 for a QObject pointer

    void *data()
    {
        switch (kind) {
        case QMetaType::Int:
            return &intValue;
        case QMetaType::Bool:
            return &boolValue;
        case QMetaType::QString:
            return &stringValue;
        case QMetaType::QByteArray:
            return &bytesValue;
        default:
            objectValue = objectTarget.data();
            if (!objectValue)
                Fail(QStringLiteral("an argument of the slot no longer exists"));
            return &objectValue;
        }
    }
};

} // namespace

QString AutomationCommands::invokeCommand(const QStringList &words)
{
    if (words.size() < 3 || words.size() > 3 + kMaxSlotArguments)
        Fail(QStringLiteral("usage: invoke NAME SLOT [ARGUMENT...]"));
    QObject &target = m_locator.find(words[1]);
    const QByteArray slotName = words[2].toUtf8();
    const QStringList values = words.mid(3);
    const QMetaObject *meta = target.metaObject();
    // Only the program's own handlers: Qt's slots (deleteLater, close, hide)
    // could pull the window away under the program.
    int firstOwn = meta->methodCount();
    for (const QMetaObject *m = meta; m; m = m->superClass())
        if (QLatin1String(m->className()).startsWith(QLatin1Char('Q'))) {
            firstOwn = m->methodCount();
            break;
        }
    QMetaMethod method;
    for (int i = firstOwn; i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        if (m.name() == slotName && m.parameterCount() == values.size() && m.access() == QMetaMethod::Public
            && (m.methodType() == QMetaMethod::Slot || m.methodType() == QMetaMethod::Method))
            method = m;
    }
    if (!method.isValid())
        Fail(QStringLiteral("%1 has no public slot %2 taking %3 argument(s)")
                 .arg(Quoted(words[1]), Quoted(words[2]))
                 .arg(values.size()));

    auto arguments = std::make_shared<std::vector<SlotArgument>>(size_t(values.size()));
    for (int i = 0; i < values.size(); ++i) {
        SlotArgument &a = (*arguments)[size_t(i)];
        const QMetaType type = method.parameterMetaType(i);
        const QString &value = values[i];
        a.typeName = type.name();
        a.kind = type.id();
        if (a.kind == QMetaType::Int) {
            a.intValue = ParseIndex(value);
        } else if (a.kind == QMetaType::Bool) {
            if (value != QLatin1String("true") && value != QLatin1String("false"))
                Fail(QStringLiteral("%1 is not true or false").arg(Quoted(value)));
            a.boolValue = value == QLatin1String("true");
        } else if (a.kind == QMetaType::QString) {
            a.stringValue = value;
        } else if (a.kind == QMetaType::QByteArray) {
            // Bytes are written as hex pairs, e.g. 480B01...
            static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
            if (!hex.match(value).hasMatch())
                Fail(QStringLiteral("%1 is not hex bytes").arg(Quoted(value)));
            a.bytesValue = QByteArray::fromHex(value.toLatin1());
        } else if (type.flags() & QMetaType::PointerToQObject) {
            QObject &object = m_locator.find(value);
            if (type.metaObject() && !object.metaObject()->inherits(type.metaObject()))
                Fail(QStringLiteral("%1 is no %2").arg(Quoted(value), QLatin1String(a.typeName)));
            a.kind = -1;
            a.objectTarget = &object;
        } else {
            Fail(QStringLiteral("arguments of type %1 are not supported").arg(QLatin1String(a.typeName)));
        }
    }
    ErrorReporter &errors = m_errors;
    QObject *object = &target;
    QTimer::singleShot(0, object, [object, method, arguments, &errors] {
        RunGuarded(errors, [&] {
            QGenericArgument given[kMaxSlotArguments];
            for (size_t i = 0; i < arguments->size(); ++i)
                given[i] = QGenericArgument((*arguments)[i].typeName.constData(), (*arguments)[i].data());
            if (!method.invoke(object, Qt::DirectConnection, given[0], given[1], given[2]))
                Fail(QStringLiteral("%1 could not be invoked").arg(QLatin1String(method.methodSignature())));
        });
    });
    return QStringLiteral("ok");
}
