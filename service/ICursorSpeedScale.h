#pragma once
// Where the function manager reads the factor it multiplies motion by while a spotlight, laser or
// magnifier follows the remote. The cursor-motion side owns the value (it follows the screen
// height); the function manager only reads it, from the motion thread.

class ICursorSpeedScale {
public:
    virtual ~ICursorSpeedScale() = default;
    virtual float GetSpeedScale() const = 0;
};
