#pragma once
// The makers' run in a browser, asked for by the page's address (?sync= a
// sync editor's WebSocket, ?tracks= a folder of exported tracks): the same
// run as brontavik-edit's on the desktop (app/edit: pause, seek, loop and
// the maker's keys), in the page's canvas without switching to full screen,
// one pass of its loop per animation frame from the start gesture on.

// True when the page's address asks for the makers' run; the program then
// starts it in place of the show.
bool makersRunAsked();

// Before the start gesture: reads the track files the page fetched, or
// takes the editor's address, and opens the window (which initialises the
// demo). False when the run cannot start; the page was told why.
bool prepareMakersRun();

// Within the start gesture: the run takes the clock over and its passes
// begin.
void startMakersRun();
