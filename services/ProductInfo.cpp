#include "services/ProductInfo.h"

const char* const ProductName = "Tarvo Suite";
const char* const ProductVersion = TARVO_VERSION;
