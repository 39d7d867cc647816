#pragma once

#include <QImage>

namespace finbowl::art {

// Every picture the program ships, each on the shared palette.
QImage TankPicture();          // 650 x 450
QImage FishSheet(int sheet);   // 225 x 150: 0 red right, 1 red left, 2 black right, 3 black left
QImage BubblePicture();        // 60 x 60
QImage IconPicture(int size);  // size x size, fully opaque

inline constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

}  // namespace finbowl::art
