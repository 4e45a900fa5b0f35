#include "products/product_kind.h"
