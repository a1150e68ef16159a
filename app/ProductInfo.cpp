#include "app/ProductInfo.h"

const char* const ProductName = "Tarvo Suite";
