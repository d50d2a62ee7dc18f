#error "The core layer uses neither GL nor ImGui: move this code to render or editor."
