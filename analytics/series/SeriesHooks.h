// Registers the price series with the broker session (creation, history and live data).
#pragma once

void RegisterPriceSeriesHooks();
