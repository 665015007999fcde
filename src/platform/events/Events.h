#pragma once

// The whole publisher kit in one include.
#include "platform/events/AnyCancellable.h"
#include "platform/events/AnyPublisher.h"
#include "platform/events/CancellableSet.h"
#include "platform/events/Completion.h"
#include "platform/events/CurrentValueSubject.h"
#include "platform/events/MainThread.h"
#include "platform/events/Never.h"
#include "platform/events/PassthroughSubject.h"
#include "platform/events/Void.h"
