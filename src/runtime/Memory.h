#pragma once

// Makes the C library give large blocks (a flood's receive buffers) back to the system when they
// are freed, instead of keeping them in a heap that a later small block may pin: the resident
// memory then stays flat over floods. Call once, before anything is allocated in bulk.
void returnLargeBlocksToSystem();
