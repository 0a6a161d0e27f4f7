#include "commands/values.h"
