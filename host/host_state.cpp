#include "host/host.h"

HostState hostState;
