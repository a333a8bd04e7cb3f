#pragma once
// The order of names in the folder and file lists: the user's locale, without regard to case.

#include <QCollator>

QCollator PickerNameOrder();
