// Enumerations of the page control that pure-logic code shares with the windowed classes.
// No windows.h here.
#pragma once

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
