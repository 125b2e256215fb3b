// The request service's two handlers, bound to the request server's events by the window.
#pragma once

// A client connected: show its address and the time.
void OnClientEntered();

// A client sent bytes (their content does not matter): redial, look up the new address and
// answer that client.
void OnDataArrived();
