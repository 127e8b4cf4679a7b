// The mail account's password in the desktop's secret store (through QtKeychain). Where no
// secret service answers (a bare session, a server), the password lives in the settings
// file instead (PASS), which only its owner may read.
#pragma once

#include "desktop/mail_settings.h"

#include <QString>

#include <chrono>

// How long a look into the secret store may take; a store that needs longer (one that
// waits for an unlock prompt, a service that does not start) counts as absent.
inline constexpr std::chrono::milliseconds kSecretStoreWait{3000};

struct SecretStoreRead {
    bool answered = false; // a secret service answered (with or without a password)
    QString password;      // empty when the store holds none
};

// Both need a Qt application object, whose event loop runs while they wait; without one
// the store counts as absent.
SecretStoreRead ReadMailSecret(std::chrono::milliseconds wait = kSecretStoreWait);
// True when the store took the password.
bool WriteMailSecret(const QString& password, std::chrono::milliseconds wait = kSecretStoreWait);

// The password to log in with: the settings file's when it holds one (the last one stored
// went there), else the secret store's.
QString MailPassword(const MailAccount& account, std::chrono::milliseconds wait = kSecretStoreWait);
