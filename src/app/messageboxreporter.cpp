#include "app/messageboxreporter.h"

#include <QMessageBox>

MessageBoxErrorReporter::MessageBoxErrorReporter(QWidget *parent, const QString &caption)
    : m_parent(parent), m_caption(caption)
{
}

void MessageBoxErrorReporter::report(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, m_caption, text, QMessageBox::Ok, m_parent.data());
    // Error texts carry paths and received text: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
