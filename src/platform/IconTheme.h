#pragma once
// Icon-theme set-up: without a desktop session (offscreen, bare X) Qt finds no theme, and
// themed icons come out empty. Call once after the QGuiApplication exists.

void SetUpIconTheme();
