#pragma once

// The navigation bar over the browser view, and the top row's home button.

namespace lxtv::browser {

void onHomeButtonClicked();
void onBackButtonClicked();
void onForwardButtonClicked();
void onRefreshButtonClicked();
void onStopButtonClicked();
void onSiteHomeButtonClicked();

}  // namespace lxtv::browser
