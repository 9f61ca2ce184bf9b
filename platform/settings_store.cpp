#include "platform/settings_store.h"
