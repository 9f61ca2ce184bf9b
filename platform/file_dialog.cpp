#include "platform/file_dialog.h"
