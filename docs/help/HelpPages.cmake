# The help pages, for the window's help (docs/CMakeLists.txt) and the page's (web/CMakeLists.txt).
set(PLASHBOX_HELP_PAGES
  index.html controls.html panels.html sources.html colours.html physics.html experiments.html
  about.html)
