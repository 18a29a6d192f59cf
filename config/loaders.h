// The section loaders: they fill the state record from the configuration file
// in the order Splash, Main, Button1..3, Cancel, each clearing its sub-record
// first and applying the defaults of every key that gives no value.
#pragma once

namespace setupmenu {

void LoadSplashSettings();
void LoadMainSettings();
void LoadButtonSettings(int n);  // n: 1 to 3
void LoadCancelSettings();
void LoadAllButtonSettings();    // buttons 1, 2, 3, then Cancel

}  // namespace setupmenu
