#pragma once
// A downward include: allowed.
#include "platform/core/event_service.h"
