// The browser's refresh tick for the browser build's blocking frame loop.
#pragma once

namespace plat::web {

// Returns at the page's next animation frame (requestAnimationFrame); the
// program yields to the browser meanwhile (ASYNCIFY). In a hidden page the
// browser holds animation frames back, so the program waits with them.
void WaitForAnimationFrame();

}  // namespace plat::web
