// Control numbers of the Login, About, Advisory and prompt dialogs (plain macros for the resource compiler).
#pragma once

#define IDC_LOGIN_PASSWORD 1010
#define IDC_ABOUT_ICON 201
#define IDC_ABOUT_TEXT 1071
#define IDC_HOST_TEXT 1000
#define IDC_PROMPT_ANSWER 1001
