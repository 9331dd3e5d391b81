#pragma once

class QWidget;

// Paints widget's background white through its palette (a style sheet would cost each widget its
// own style data).
void SetWhiteBackground(QWidget *widget);
