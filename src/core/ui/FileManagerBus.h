#pragma once

#include <QString>
#include <functional>

// The desktop's file manager as the freedesktop.org session-bus interface
// org.freedesktop.FileManager1 offers it (file managers of the common Linux
// desktops implement it; elsewhere it is absent).
namespace FileManagerBus {

enum class Request { ShowItems, ShowItemProperties };

// Asks the file manager for `request` on the local file `path`, without
// waiting for the answer. `fallback` runs instead when there is no session
// bus or no file manager on it, and later, when the file manager answers
// with an error. Returns true when the request went out, otherwise what
// `fallback` returned.
bool ask(Request request, const QString &path, const std::function<bool()> &fallback);

// Whether the session bus has a file manager to ask (or can start one).
bool present();

// The same on the bus at `busAddress` (tests run a private bus).
bool askOn(const QString &busAddress, Request request, const QString &path, const std::function<bool()> &fallback);

} // namespace FileManagerBus
