(function () {
  "use strict";
  // The side panels; on a narrow screen only one of them is open at a time.
  var PANEL_IDS = ["c4-legend", "c4-drills", "c4-sources", "c4-drill-up"];
  // Panels open on load on a wide screen; the sources list starts closed.
  var OPEN_WHEN_WIDE = { "c4-legend": true, "c4-drills": true, "c4-sources": false, "c4-drill-up": true };
  var wide = window.matchMedia("(min-width: 721px)");

  function panels() {
    return PANEL_IDS.map(function (id) { return document.getElementById(id); })
      .filter(function (panel) { return panel !== null; });
  }

  // The stage and the panels are placed below the top bar through --top.
  function followTopBar() {
    var bar = document.querySelector(".topbar");
    if (bar) document.documentElement.style.setProperty("--top", bar.offsetHeight + "px");
  }

  function setPanels() {
    panels().forEach(function (panel) {
      panel.open = wide.matches && OPEN_WHEN_WIDE[panel.id];
    });
  }

  // A narrow screen has room for one sheet: opening one closes the others.
  function onToggle(event) {
    var opened = event.target;
    if (wide.matches || !opened.open) return;
    panels().forEach(function (panel) {
      if (panel !== opened) panel.open = false;
    });
  }

  document.addEventListener("DOMContentLoaded", function () {
    followTopBar();
    setPanels();
    panels().forEach(function (panel) { panel.addEventListener("toggle", onToggle); });
  });
  window.addEventListener("resize", followTopBar);
  wide.addEventListener("change", function () {
    setPanels();
    followTopBar();
  });
})();
