// The plan page's script: draws the galaxy and the plan from the inline data block and lets the
// player pan, zoom, hover planets, switch layers and pick orders in the table.
// Planets outside the plan go on a canvas (thousands of them); the plan itself (reach, arrows, the
// planets taking part, names) is SVG, repositioned on every redraw so it keeps its size on screen.
"use strict";
(function () {
  const data = JSON.parse(document.getElementById("plan-data").textContent);
  const SVG = "http://www.w3.org/2000/svg";
  const stage = document.getElementById("stage");
  const canvas = document.getElementById("faded");
  const svg = document.getElementById("plan");
  const tooltip = document.getElementById("tooltip");
  const layers = { reach: true, direct: true, chains: true, refused: true, others: true, names: true, review: true };
  const planets = data.planets;
  const count = planets.x.length;
  // The stage's size is read once per redraw: reading it between DOM writes would force a layout each time.
  const view = { cx: 0, cy: 0, scale: 1, width: 1, height: 1 };
  function measureStage() {
    view.width = stage.clientWidth || 1;
    view.height = stage.clientHeight || 1;
  }
  const LABEL_FONT = "11px 'DejaVu Sans', Verdana, sans-serif";

  function make(name, attributes, parent) {
    const element = document.createElementNS(SVG, name);
    for (const key in attributes) element.setAttribute(key, attributes[key]);
    if (parent) parent.appendChild(element);
    return element;
  }

  // Planets are the data's entries 1..count; a page of a large galaxy carries only some planets,
  // with their numbers in a column of their own, and the rest as a density map.
  function planetTitle(n) {
    if (n < 1 || n > count) return "#" + n;
    return "#" + (planets.number ? planets.number[n - 1] : n) + " " + planets.name[n - 1];
  }

  function arrowColour(arrow) {
    if (arrow.refused) return data.colours.refused;
    if (arrow.chain < 0) return data.colours.direct;
    return data.colours.chains[arrow.chain % data.colours.chains.length];
  }

  function arrowLayer(arrow) {
    return arrow.refused ? "refused" : arrow.chain < 0 ? "direct" : "chains";
  }

  // Screen position of a galaxy point, and back.
  function toScreen(x, y) {
    return [(x - view.cx) * view.scale + view.width / 2, (y - view.cy) * view.scale + view.height / 2];
  }
  function toGalaxy(sx, sy) {
    return [(sx - view.width / 2) / view.scale + view.cx, (sy - view.height / 2) / view.scale + view.cy];
  }

  function fit(box) {
    measureStage();
    const width = Math.max(box[2] - box[0], 1e-9), height = Math.max(box[3] - box[1], 1e-9);
    view.scale = Math.min(view.width / width, view.height / height) || 1;
    view.cx = (box[0] + box[2]) / 2;
    view.cy = (box[1] + box[3]) / 2;
    draw();
  }

  function zoomAt(factor, sx, sy) {
    const [gx, gy] = toGalaxy(sx, sy);
    view.scale = Math.min(Math.max(view.scale * factor, 1e-6), 1e6);
    const [nx, ny] = toScreen(gx, gy);
    view.cx += (nx - sx) / view.scale;
    view.cy += (ny - sy) / view.scale;
    draw();
  }

  // ---- the plan's elements, made once ----
  data.colours.chains.concat([data.colours.direct, data.colours.refused]).forEach(function (colour, i) {
    const marker = make("marker", { id: "head" + i, viewBox: "0 0 10 10", refX: 9, refY: 5, markerWidth: 8,
      markerHeight: 8, markerUnits: "userSpaceOnUse", orient: "auto-start-reverse" }, document.getElementById("heads"));
    make("path", { d: "M0,0 L10,5 L0,10 z", fill: colour }, marker);
  });
  function headOf(arrow) {
    const chains = data.colours.chains.length;
    return "url(#head" + (arrow.refused ? chains + 1 : arrow.chain < 0 ? chains : arrow.chain % chains) + ")";
  }

  const reachCircle = data.source ? make("circle", { class: "reach", fill: "#ffd166", "fill-opacity": 0.05,
    stroke: "#ffd166", "stroke-opacity": 0.5, "stroke-dasharray": "5 4" }, document.getElementById("reach-layer")) : null;

  const arrowLines = data.arrows.map(function (arrow, i) {
    const line = make("line", { class: "arrow " + arrowLayer(arrow), "data-arrow": i, "data-order": arrow.order,
      stroke: arrowColour(arrow), "stroke-width": arrow.chain < 0 ? 1.4 : 2, "marker-end": headOf(arrow) },
      document.getElementById("arrow-layer"));
    if (arrow.refused) line.setAttribute("stroke-dasharray", "2 4");
    else if (arrow.chain >= 0) line.setAttribute("stroke-dasharray", "7 4");
    return line;
  });

  const participants = data.participants;
  const markers = participants.map(function (n) {
    const role = data.roles[planets.role[n - 1]];
    return make("circle", { class: "planet " + role.key, "data-planet": n, r: role.radius, fill: role.fill,
      stroke: role.stroke, "stroke-width": n === data.source ? 2.5 : 1 }, document.getElementById("planet-layer"));
  });
  const markerRadius = participants.map(function (n) { return data.roles[planets.role[n - 1]].radius; });
  const labels = participants.map(function (n) {
    const label = make("text", { "font-size": n === data.source ? 14 : 11, fill: n === data.source ? "#ffd166" : "#c9d2e3",
      "font-weight": n === data.source ? "bold" : "normal" }, document.getElementById("label-layer"));
    label.textContent = planets.name[n - 1];
    return label;
  });

  // The review's marks: a ring per mark around each planet the plan left or a best plan adds.
  const review = data.review;
  const notesOf = new Map(); // planet -> why the review marks it
  const rings = [];
  if (review) {
    review.planets.forEach(function (marked) {
      notesOf.set(marked.planet, marked.notes);
      marked.marks.forEach(function (m) {
        const kind = review.legend[m];
        const ring = make("circle", { class: "mark " + kind.key, "data-planet": marked.planet, stroke: kind.colour,
          r: data.roles[planets.role[marked.planet - 1]].radius + (m === 0 ? 3.5 : 6.5) },
          document.getElementById("mark-layer"));
        if (m === 0) ring.setAttribute("stroke-dasharray", "3 2");
        rings.push(ring);
      });
    });
  }

  // ---- names placed on screen: most important first, each where it overlaps nothing ----
  const measure = document.createElement("canvas").getContext("2d");
  measure.font = LABEL_FONT;
  const labelWidths = participants.map(function (n) {
    return measure.measureText(planets.name[n - 1]).width * (n === data.source ? 14 / 11 : 1);
  });
  const SPOTS = [[1, 0], [-1, 0], [0, -1], [0, 1], [1, -1], [-1, -1], [1, 1], [-1, 1]];

  function placeLabels(positions) {
    const cell = 48, grid = new Map();
    const cellsOf = function (box, visit) {
      for (let gx = Math.floor(box[0] / cell); gx <= Math.floor(box[2] / cell); ++gx)
        for (let gy = Math.floor(box[1] / cell); gy <= Math.floor(box[3] / cell); ++gy)
          if (visit(gx + "," + gy)) return true;
      return false;
    };
    const overlaps = function (a, b) { return a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3]; };
    const blocked = function (box) {
      return cellsOf(box, function (key) { return (grid.get(key) || []).some(function (o) { return overlaps(o, box); }); });
    };
    const add = function (box) {
      cellsOf(box, function (key) { (grid.get(key) || grid.set(key, []).get(key)).push(box); return false; });
    };
    const markerBoxes = positions.map(function (p, i) {
      const r = markerRadius[i];
      return [p[0] - r, p[1] - r, p[0] + r, p[1] + r];
    });
    markerBoxes.forEach(function (box, i) { if (positions[i].visible) add(box); });
    const width = view.width, height = view.height;
    let shown = 0;
    positions.forEach(function (p, i) {
      let placed = null, fallback = null;
      if (layers.names && p.visible) {
        const gap = markerRadius[i] + 2, w = labelWidths[i], h = participants[i] === data.source ? 16 : 13;
        for (const [dx, dy] of SPOTS) {
          const left = dx > 0 ? p[0] + gap : dx < 0 ? p[0] - gap - w : p[0] - w / 2;
          const top = dy > 0 ? p[1] + gap : dy < 0 ? p[1] - gap - h : p[1] - h / 2;
          const box = [left, top, left + w, top + h];
          if (box[0] < 0 || box[1] < 0 || box[2] > width || box[3] > height) continue;
          fallback = fallback || box;
          // A label's own marker is one of the boxes: it is never in the way of its spots.
          if (!blocked(box)) { placed = box; break; }
        }
      }
      // The source is always named, even over others.
      if (!placed && participants[i] === data.source) placed = fallback;
      if (placed) {
        add(placed);
        labels[i].setAttribute("x", placed[0].toFixed(1));
        labels[i].setAttribute("y", (placed[3] - 3).toFixed(1));
        labels[i].style.display = "";
        ++shown;
      } else {
        labels[i].style.display = "none";
      }
    });
    return shown;
  }

  // ---- drawing ----
  function drawFaded() {
    const ratio = window.devicePixelRatio || 1;
    const width = view.width, height = view.height;
    if (canvas.width !== Math.round(width * ratio) || canvas.height !== Math.round(height * ratio)) {
      canvas.width = Math.round(width * ratio);
      canvas.height = Math.round(height * ratio);
    }
    const ctx = canvas.getContext("2d");
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    ctx.clearRect(0, 0, width, height);
    if (!layers.others) return;
    if (data.density) drawDensity(ctx, width, height);
    const size = view.scale * data.spacing > 12 ? 1.25 : 1; // planets grow a little once they are well apart
    data.roles.forEach(function (role, r) {
      if (r < data.firstFadedRole) return;
      ctx.fillStyle = role.fill;
      ctx.beginPath();
      for (let i = 0; i < count; ++i) {
        if (planets.role[i] !== r) continue;
        const [sx, sy] = toScreen(planets.x[i], planets.y[i]);
        if (sx < -5 || sy < -5 || sx > width + 5 || sy > height + 5) continue;
        const radius = role.radius * size;
        ctx.moveTo(sx + radius, sy);
        ctx.arc(sx, sy, radius, 0, 2 * Math.PI);
      }
      ctx.fill();
    });
  }

  // The planets the page does not carry: a picture of the map, a pixel a cell shaded by how many
  // planets lie in it, drawn whole and scaled (one image, however many cells); zoomed in so far
  // that a cell would be a block, one dot for each cell on screen, like a planet's.
  let densityPicture = null;
  function densityImage() {
    if (densityPicture) return densityPicture;
    const map = data.density, fill = data.roles[data.roles.length - 1].fill;
    const peak = map.counts.reduce(function (a, b) { return Math.max(a, b); }, 1);
    const rgb = [1, 3, 5].map(function (at) { return parseInt(fill.substr(at, 2), 16); });
    densityPicture = document.createElement("canvas");
    densityPicture.width = map.columns;
    densityPicture.height = map.rows;
    const context = densityPicture.getContext("2d");
    const pixels = context.createImageData(map.columns, map.rows);
    map.counts.forEach(function (planetsHere, i) {
      if (!planetsHere) return;
      pixels.data.set(rgb, 4 * i);
      pixels.data[4 * i + 3] = Math.round(255 * (0.25 + 0.75 * Math.sqrt(planetsHere / peak)));
    });
    context.putImageData(pixels, 0, 0);
    return densityPicture;
  }
  function drawDensity(ctx, width, height) {
    const map = data.density, cell = map.cell * view.scale;
    const [left, top] = toScreen(data.whole[0], data.whole[1]);
    if (cell <= 4) {
      ctx.imageSmoothingEnabled = false;
      ctx.drawImage(densityImage(), left, top, map.columns * cell, map.rows * cell);
      return;
    }
    const radius = data.roles[data.roles.length - 1].radius;
    const first = function (edge) { return Math.max(0, Math.floor(edge / cell)); };
    ctx.fillStyle = data.roles[data.roles.length - 1].fill;
    ctx.beginPath();
    for (let row = first(-top); row < Math.min(map.rows, Math.ceil((height - top) / cell)); ++row) {
      for (let column = first(-left); column < Math.min(map.columns, Math.ceil((width - left) / cell)); ++column) {
        if (!map.counts[row * map.columns + column]) continue;
        const x = left + (column + 0.5) * cell, y = top + (row + 0.5) * cell;
        ctx.moveTo(x + radius, y);
        ctx.arc(x, y, radius, 0, 2 * Math.PI);
      }
    }
    ctx.fill();
  }

  function drawPlan() {
    if (reachCircle) {
      const [sx, sy] = toScreen(planets.x[data.source - 1], planets.y[data.source - 1]);
      reachCircle.setAttribute("cx", sx.toFixed(1));
      reachCircle.setAttribute("cy", sy.toFixed(1));
      reachCircle.setAttribute("r", Math.max(data.reach * view.scale, 0).toFixed(1));
      reachCircle.style.display = layers.reach ? "" : "none";
    }
    data.arrows.forEach(function (arrow, i) {
      const line = arrowLines[i];
      const [x1, y1] = toScreen(planets.x[arrow.from - 1], planets.y[arrow.from - 1]);
      const [x2, y2] = toScreen(planets.x[arrow.to - 1], planets.y[arrow.to - 1]);
      const length = Math.hypot(x2 - x1, y2 - y1) || 1;
      // Start and end at the planets' rims, so that heads stay visible.
      const trimFrom = Math.min(data.roles[planets.role[arrow.from - 1]].radius + 1.5, length / 3);
      const trimTo = Math.min(data.roles[planets.role[arrow.to - 1]].radius + 1.5, length / 3);
      line.setAttribute("x1", (x1 + (x2 - x1) / length * trimFrom).toFixed(1));
      line.setAttribute("y1", (y1 + (y2 - y1) / length * trimFrom).toFixed(1));
      line.setAttribute("x2", (x2 - (x2 - x1) / length * trimTo).toFixed(1));
      line.setAttribute("y2", (y2 - (y2 - y1) / length * trimTo).toFixed(1));
      line.style.display = layers[arrowLayer(arrow)] ? "" : "none";
    });
    rings.forEach(function (ring) {
      const n = Number(ring.dataset.planet);
      const [sx, sy] = toScreen(planets.x[n - 1], planets.y[n - 1]);
      ring.setAttribute("cx", sx.toFixed(1));
      ring.setAttribute("cy", sy.toFixed(1));
      ring.style.display = layers.review ? "" : "none";
    });
    const positions = participants.map(function (n, i) {
      const p = toScreen(planets.x[n - 1], planets.y[n - 1]);
      p.visible = p[0] >= -10 && p[1] >= -10 && p[0] <= view.width + 10 && p[1] <= view.height + 10;
      markers[i].setAttribute("cx", p[0].toFixed(1));
      markers[i].setAttribute("cy", p[1].toFixed(1));
      return p;
    });
    const shown = placeLabels(positions);
    const visible = positions.filter(function (p) { return p.visible; }).length;
    document.getElementById("label-note").textContent = !layers.names ? "Names are switched off." :
      shown === visible ? "Every planet in the plan on screen is named." :
      shown + " of " + visible + " planets in the plan on screen are named; the rest would overlap. " +
      "Zoom in, or point at a planet.";
  }

  function draw() {
    measureStage();
    drawFaded();
    drawPlan();
    stage.dataset.scale = view.scale.toPrecision(6);
  }

  // ---- finding the planet under the pointer: a grid over the galaxy ----
  const whole = data.whole;
  const gridSide = Math.max(1, Math.ceil(Math.sqrt(count / 4)));
  const gridCell = Math.max(whole[2] - whole[0], whole[3] - whole[1], 1e-9) / gridSide;
  const planetGrid = new Map();
  for (let i = 0; i < count; ++i) {
    const key = Math.floor((planets.x[i] - whole[0]) / gridCell) + "," + Math.floor((planets.y[i] - whole[1]) / gridCell);
    (planetGrid.get(key) || planetGrid.set(key, []).get(key)).push(i);
  }
  function planetAt(sx, sy) {
    const [gx, gy] = toGalaxy(sx, sy);
    const reach = 8 / view.scale;
    let best = -1, bestDistance = reach;
    const x0 = Math.floor((gx - reach - whole[0]) / gridCell), x1 = Math.floor((gx + reach - whole[0]) / gridCell);
    const y0 = Math.floor((gy - reach - whole[1]) / gridCell), y1 = Math.floor((gy + reach - whole[1]) / gridCell);
    if ((x1 - x0 + 1) * (y1 - y0 + 1) > 4 * count) return -1; // zoomed far out: too many cells to look at
    for (let x = x0; x <= x1; ++x) {
      for (let y = y0; y <= y1; ++y) {
        for (const i of planetGrid.get(x + "," + y) || []) {
          if (!layers.others && planets.role[i] >= data.firstFadedRole && !notesOf.has(i + 1)) continue;
          const distance = Math.hypot(planets.x[i] - gx, planets.y[i] - gy);
          if (distance <= bestDistance) { best = i; bestDistance = distance; }
        }
      }
    }
    return best + 1;
  }

  const ordersOf = new Map(); // planet number -> arrows from or to it
  data.arrows.forEach(function (arrow, i) {
    for (const n of [arrow.from, arrow.to]) (ordersOf.get(n) || ordersOf.set(n, []).get(n)).push(i);
  });

  function showTooltip(n, sx, sy) {
    if (n <= 0) { tooltip.hidden = true; highlight([]); return; }
    const owner = data.owners[planets.owner[n - 1]];
    const arrows = ordersOf.get(n) || [];
    tooltip.replaceChildren();
    const name = document.createElement("div");
    name.className = "name";
    name.textContent = planetTitle(n);
    const facts = document.createElement("div");
    facts.textContent = "Owner: " + (owner || "nobody") + " \u00b7 " + data.roles[planets.role[n - 1]].label;
    tooltip.append(name, facts);
    (notesOf.get(n) || []).forEach(function (note) {
      const why = tooltip.appendChild(document.createElement("div"));
      why.className = "why";
      why.textContent = note;
    });
    if (arrows.length) {
      const list = document.createElement("ul");
      arrows.slice(0, 12).forEach(function (i) { list.appendChild(document.createElement("li")).textContent = describe(i); });
      if (arrows.length > 12) list.appendChild(document.createElement("li")).textContent = "and " + (arrows.length - 12) + " more";
      tooltip.appendChild(list);
    } else {
      tooltip.appendChild(document.createElement("div")).textContent = "No orders";
    }
    tooltip.hidden = false;
    const left = Math.min(sx + 14, stage.clientWidth - tooltip.offsetWidth - 4);
    const top = sy + 14 + tooltip.offsetHeight > stage.clientHeight ? sy - 14 - tooltip.offsetHeight : sy + 14;
    tooltip.style.left = Math.max(left, 4) + "px";
    tooltip.style.top = Math.max(top, 4) + "px";
    highlight(arrows);
  }

  function describe(i) {
    const arrow = data.arrows[i], order = data.orders[arrow.order];
    return order.order + ": " + planetTitle(arrow.from) + " \u2192 " + planetTitle(arrow.to) +
      (order.accepted ? (order.relay ? " (relay group " + order.group + ")" : "") : " refused: " + order.reason);
  }

  // ---- the orders table ----
  const rows = [];
  const arrowOfOrder = new Map(data.arrows.map(function (arrow, i) { return [arrow.order, i]; }));
  const body = document.querySelector("#orders tbody");
  data.orders.forEach(function (order, index) {
    const row = body.insertRow();
    row.className = order.accepted ? "accepted" : "refused";
    const arrow = arrowOfOrder.has(index) ? arrowOfOrder.get(index) : -1;
    row.dataset.arrow = arrow;
    const from = arrow >= 0 ? data.arrows[arrow].from : order.from, to = arrow >= 0 ? data.arrows[arrow].to : order.to;
    const cells = [String(index + 1), order.order, from ? planetTitle(from) : "", to ? planetTitle(to) : "",
      order.accepted ? (order.relay ? "relay group " + order.group : "accepted") : "refused: " + order.reason];
    cells.forEach(function (text) {
      const cell = row.insertCell();
      cell.textContent = text;
      cell.title = text; // the whole text, where the column cuts it
    });
    row.addEventListener("mouseenter", function () { highlight(arrow >= 0 ? [arrow] : []); row.classList.add("hl"); });
    row.addEventListener("mouseleave", function () { highlight([]); row.classList.remove("hl"); });
    row.addEventListener("click", function () {
      if (arrow < 0) return;
      const a = data.arrows[arrow];
      view.cx = (planets.x[a.from - 1] + planets.x[a.to - 1]) / 2;
      view.cy = (planets.y[a.from - 1] + planets.y[a.to - 1]) / 2;
      draw();
    });
    rows.push(row);
  });

  let highlighted = [];
  function highlight(arrows) {
    highlighted.forEach(function (i) { arrowLines[i].classList.remove("hl"); });
    highlighted = arrows.slice();
    highlighted.forEach(function (i) {
      arrowLines[i].classList.add("hl");
      arrowLines[i].parentNode.appendChild(arrowLines[i]); // on top of the others
    });
    svg.classList.toggle("highlighting", highlighted.length > 0);
  }

  // ---- header, legend, layers ----
  document.getElementById("title").textContent = data.title;
  document.getElementById("subtitle").textContent = data.subtitle;
  if (data.note) {
    const ending = document.getElementById("ending");
    ending.textContent = data.note;
    ending.hidden = false;
    if (!data.arrows.length) {
      const noPlan = document.getElementById("no-plan");
      noPlan.textContent = data.note;
      noPlan.hidden = false;
    }
  }
  const legend = document.getElementById("legend");
  data.roles.forEach(function (role) {
    const item = legend.appendChild(document.createElement("div"));
    const swatch = item.appendChild(document.createElement("span"));
    swatch.className = "swatch";
    swatch.style.background = role.fill;
    item.append(role.label + " (" + role.count + ")");
  });
  [["direct", data.colours.direct, "Direct send"], ["chains", data.colours.chains[0], "Relay chain (own colour)"],
    ["refused", data.colours.refused, "Refused order"]].forEach(function (entry) {
    const item = legend.appendChild(document.createElement("div"));
    const stroke = item.appendChild(document.createElement("span"));
    stroke.className = "stroke";
    stroke.style.borderColor = entry[1];
    item.append(entry[2]);
  });
  if (review) {
    review.legend.forEach(function (kind) {
      const item = legend.appendChild(document.createElement("div"));
      const ring = item.appendChild(document.createElement("span"));
      ring.className = "ring " + kind.key;
      ring.style.borderColor = kind.colour;
      item.append(kind.label + " (" + kind.count + ")");
    });
    document.getElementById("review-layer").hidden = false;
  }
  if (data.density) {
    legend.appendChild(document.createElement("p")).textContent = data.density.planets.toLocaleString("en") +
      " planets away from the plan are shaded by how many lie in each part of the galaxy.";
  }
  document.querySelectorAll("#layers input").forEach(function (box) {
    box.addEventListener("change", function () { layers[box.dataset.layer] = box.checked; draw(); });
  });

  // ---- pan, zoom, hover ----
  let drag = null;
  stage.addEventListener("wheel", function (event) {
    event.preventDefault();
    const rect = stage.getBoundingClientRect();
    zoomAt(Math.pow(1.2, -event.deltaY / 100), event.clientX - rect.left, event.clientY - rect.top);
  }, { passive: false });
  stage.addEventListener("pointerdown", function (event) {
    if (event.target.closest("#toolbar")) return;
    drag = { x: event.clientX, y: event.clientY, cx: view.cx, cy: view.cy };
    stage.setPointerCapture(event.pointerId);
    stage.classList.add("dragging");
  });
  stage.addEventListener("pointermove", function (event) {
    const rect = stage.getBoundingClientRect();
    if (drag) {
      view.cx = drag.cx - (event.clientX - drag.x) / view.scale;
      view.cy = drag.cy - (event.clientY - drag.y) / view.scale;
      draw();
      return;
    }
    if (event.target.closest("#toolbar")) return;
    const sx = event.clientX - rect.left, sy = event.clientY - rect.top;
    showTooltip(planetAt(sx, sy), sx, sy);
  });
  const endDrag = function () { drag = null; stage.classList.remove("dragging"); };
  stage.addEventListener("pointerup", endDrag);
  stage.addEventListener("pointercancel", endDrag);
  stage.addEventListener("pointerleave", function () { if (!drag) showTooltip(0, 0, 0); });
  document.getElementById("zoom-in").addEventListener("click", function () {
    zoomAt(1.5, stage.clientWidth / 2, stage.clientHeight / 2);
  });
  document.getElementById("zoom-out").addEventListener("click", function () {
    zoomAt(1 / 1.5, stage.clientWidth / 2, stage.clientHeight / 2);
  });
  document.getElementById("fit-plan").addEventListener("click", function () { fit(data.frame); });
  document.getElementById("fit-galaxy").addEventListener("click", function () { fit(data.whole); });
  new ResizeObserver(function () { draw(); }).observe(stage);
  fit(data.frame);
})();
