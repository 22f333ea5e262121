// The names of the terminal's window classes: external (tools and tests find windows by them).
#pragma once

namespace vantor {

inline constexpr wchar_t kEntryClass[] = L"VdxEntry";
inline constexpr wchar_t kFixedClass[] = L"VdxFixed";
inline constexpr wchar_t kSystemClass[] = L"VdxSystem";
inline constexpr wchar_t kButtonClass[] = L"VdxButton";
inline constexpr wchar_t kSelectButtonClass[] = L"VdxSelectButton";
inline constexpr wchar_t kCheckBoxClass[] = L"VdxCheckBox";
inline constexpr wchar_t kRadioButtonClass[] = L"VdxRadioButton";
inline constexpr wchar_t kPageClass[] = L"VdxCPage";
inline constexpr wchar_t kToolbarClass[] = L"VdxCToolBar";
inline constexpr wchar_t kToolbarButtonClass[] = L"VdxCToolBarButton";
inline constexpr wchar_t kLockIndicatorClass[] = L"VdxCAnimate";

}  // namespace vantor
