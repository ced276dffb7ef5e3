#pragma once

#include "TestSupport.h"

#include <functional>

class QObject;
class QWidget;

// What window tests share beyond the core's support.
namespace WindowSupport
{
// Shows a window and waits until the offscreen platform has exposed it.
void show(QWidget* window);

// Runs `inside` on the modal window the next step opens, then closes it if it
// is still open. Nothing runs once `context` is gone.
void inNextModal(QObject* context, const std::function<void(QWidget*)>& inside);

// A known user with a stored language, as the user window leaves one behind.
void putUser(TestSupport::Environment& env, const QString& user, int language);
} // namespace WindowSupport
