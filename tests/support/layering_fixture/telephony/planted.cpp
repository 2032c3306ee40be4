// Line control reaching up into the program assembly: the layering check must refuse this.
#include "app/program.h"
#include "core/config_store.h"
