#include "app/qt_prompter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>

namespace kelvo {

QString qtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            for (const QString& variant : {pattern, pattern.toLower(), pattern.toUpper()}) {
                if (!patterns.contains(variant)) patterns << variant;
            }
        }
        // A description that already ends in its patterns, as "(*.Set)" does, gets the
        // offered list in their place rather than a second list beside them.
        QString description = parts[i].trimmed();
        static const QRegularExpression ownPatterns(QStringLiteral("\\([^()]*\\)$"));
        description.remove(ownPatterns);
        description = description.trimmed();
        const QString list = QStringLiteral("(%1)").arg(patterns.join(u' '));
        entries << (description.isEmpty() ? list : description + u' ' + list);
    }
    if (entries.isEmpty() && !filter.empty()) entries << QString::fromStdString(filter);
    return entries.join(QStringLiteral(";;"));
}

namespace {
// The "Please wait" box stays above the windows; a question or a file dialog opened behind
// it could not be seen, so it steps aside. Whatever runs next shows it again if it
// still has something to wait for.
void progressAside() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->objectName() == QLatin1String("frmMsg")) widget->hide();
    }
}
}  // namespace

QWidget* QtPrompter::parentWindow() {
    progressAside();
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() ? active : nullptr;
}

void QtPrompter::message(const std::string& text, Icon icon) {
    QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QApplication::applicationName(), QString::fromStdString(text), QMessageBox::Ok,
                    parentWindow());
    box.exec();
}

bool QtPrompter::confirm(const std::string& question) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                    QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No,
                    parentWindow());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompter::proceed(const std::string& question) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(),
                    QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No,
                    parentWindow());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::string QtPrompter::input(const std::string& prompt) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(parentWindow(), QApplication::applicationName(),
                              QString::fromStdString(prompt), QLineEdit::Normal, QString(), &ok);
    return ok ? answer.toStdString() : std::string();
}

std::optional<std::string> QtPrompter::openFile(const std::string& filter) {
    const QString path = QFileDialog::getOpenFileName(
        parentWindow(), QApplication::applicationName(), QDir::currentPath(), qtFileFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(path).toStdString();
}

std::optional<std::string> QtPrompter::saveFile(const std::string& filter) {
    const QString path = QFileDialog::getSaveFileName(
        parentWindow(), QApplication::applicationName(), QDir::currentPath(), qtFileFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(path).toStdString();
}

}  // namespace kelvo
