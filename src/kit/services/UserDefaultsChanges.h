#pragma once

#include "platform/events/AnyPublisher.h"
#include "platform/events/Void.h"

#include <memory>

class UserDefaults;

// One empty value after each change of the standard user-defaults database, on the thread
// that made it; built once.
Events::AnyPublisher<Events::Void> userDefaultsDidChangePublisher();

// The same for any database.
Events::AnyPublisher<Events::Void> userDefaultsDidChangePublisher(std::shared_ptr<UserDefaults> database);
