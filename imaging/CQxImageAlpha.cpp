#include "imaging/CQxImage.h"
