// Checked as a file of print/ by the layering test: sales/ is above print/.
#include "forms/component.h"
#include "sales/sale_recorder.h"
