#pragma once

#include <QString>

#include <exception>

// A command that cannot go on throws this with the French text the user sees;
// the application's handler shows it in a message box and the program goes on.
class UserError : public std::exception {
public:
    explicit UserError(QString message) : message_(std::move(message)), bytes_(message_.toUtf8()) {}
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return bytes_.constData(); }

    static UserError cannotOpen(const QString& path) {
        return UserError(QStringLiteral("Ne peut ouvrir le fichier %1").arg(path));
    }
    static UserError cannotCreate(const QString& path) {
        return UserError(QStringLiteral("Ne peut créer le fichier %1").arg(path));
    }
    static UserError notAnInteger(const QString& text) {
        return UserError(QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text));
    }

private:
    QString message_;
    QByteArray bytes_;
};
