
// Create Shape Layer, run by the host some milliseconds after the button:
// asks for the settings, then builds one shape layer with a vector group per
// letter, each stroked and drawn on by an animated Trim Paths End.
//
// This text follows the data lines (data, strokeColor, strokeWidth) inside
// $.global.SpindrelSetup and closes that function. The host's script
// language is ECMAScript 3: no let, const, arrow functions, trailing commas
// in calls, Array forEach/map/indexOf or JSON. Keep the file pure ASCII and
// write other characters as \u escapes.

function ptDist(a, b) {
    var dx = b[0] - a[0];
    var dy = b[1] - a[1];
    return Math.sqrt(dx * dx + dy * dy);
}

function pixelLen(points) {
    var length = 0;
    for (var i = 1; i < points.length; i++) length += ptDist(points[i - 1], points[i]);
    return length;
}

// Tangents from the neighbours of each vertex; an open path's ends get half.
function computeTangents(vertices, closed, smoothness) {
    var n = vertices.length;
    var inTangents = [];
    var outTangents = [];
    for (var i = 0; i < n; i++) {
        var prev = i > 0 ? vertices[i - 1] : (closed ? vertices[n - 1] : vertices[0]);
        var next = i < n - 1 ? vertices[i + 1] : (closed ? vertices[0] : vertices[n - 1]);
        var tx = (next[0] - prev[0]) * smoothness / 6;
        var ty = (next[1] - prev[1]) * smoothness / 6;
        if (!closed && (i == 0 || i == n - 1)) {
            tx = tx * 0.5;
            ty = ty * 0.5;
        }
        outTangents.push([tx, ty]);
        inTangents.push([-tx, -ty]);
    }
    return {inTangents: inTangents, outTangents: outTangents};
}

function setTangents(path, smoothness) {
    var tangents = computeTangents(path.vertices, path.closed, smoothness);
    path.inTangents = tangents.inTangents;
    path.outTangents = tangents.outTangents;
}

function cxOf(path) {
    var sum = 0;
    for (var i = 0; i < path.vertices.length; i++) sum += path.vertices[i][0];
    return sum / path.vertices.length;
}

// Paths whose mean x lie within 4% of the width of the previous one form a
// letter. Equal means keep their data order, whatever the engine's sort.
function groupByLetter(paths, width) {
    var threshold = width * 0.04;
    var order = [];
    for (var i = 0; i < paths.length; i++) order.push({path: paths[i], cx: cxOf(paths[i]), index: i});
    order.sort(function (a, b) {
        if (a.cx != b.cx) return a.cx < b.cx ? -1 : 1;
        return a.index - b.index;
    });
    var groups = [];
    var current = null;
    var previousCx = 0;
    for (var k = 0; k < order.length; k++) {
        if (current === null || order[k].cx - previousCx > threshold) {
            current = [];
            groups.push(current);
        }
        current.push(order[k].path);
        previousCx = order[k].cx;
    }
    return groups;
}

// Each next path is the one whose nearer end is closest to where the pen
// stopped; an open path reached at its end is drawn backwards.
function greedySort(group, smoothness) {
    if (group.length < 2) return group;
    var result = [group[0]];
    var remaining = group.slice(1);
    while (remaining.length > 0) {
        var last = result[result.length - 1].vertices;
        var pen = last[last.length - 1];
        var best = 1e9;
        var bestIndex = 0;
        var flip = false;
        for (var i = 0; i < remaining.length; i++) {
            var vertices = remaining[i].vertices;
            var distance = ptDist(pen, vertices[0]);
            if (distance < best) {
                best = distance;
                bestIndex = i;
                flip = false;
            }
            distance = ptDist(pen, vertices[vertices.length - 1]);
            if (distance < best) {
                best = distance;
                bestIndex = i;
                flip = true;
            }
        }
        var taken = remaining.splice(bestIndex, 1)[0];
        if (flip && !taken.closed) {
            taken.vertices = taken.vertices.slice(0).reverse();
            setTangents(taken, smoothness);
        }
        result.push(taken);
    }
    return result;
}

// An open path that starts within `tolerance` of the previous path's end
// starts exactly there, so the stroke shows no gap.
function snapEnds(paths, tolerance) {
    for (var i = 1; i < paths.length; i++) {
        if (paths[i].closed) continue;
        var previous = paths[i - 1].vertices;
        var end = previous[previous.length - 1];
        if (ptDist(end, paths[i].vertices[0]) <= tolerance) paths[i].vertices[0] = [end[0], end[1]];
    }
}

// A slider from 0 to 100 with its value and unit beside it, kept up to date
// while the slider moves.
function addSliderRow(parent, value, labelWidth, unit) {
    var row = parent.add("group");
    row.orientation = "row";
    var slider = row.add("slider", [0, 0, 280, 20], value, 0, 100);
    var label = row.add("statictext", [0, 0, labelWidth, 20], value + unit);
    slider.onChanging = function () {
        label.text = Math.round(slider.value) + unit;
    };
    return slider;
}

function errorText(error) {
    if (error !== null && typeof error == "object" && "message" in error) return error.message;
    return String(error);
}

var comp = app.project.activeItem;
if (!(comp instanceof CompItem)) {
    alert("Open a composition first.");
    return;
}
if (!data.paths || data.paths.length == 0) {
    alert("No paths found!\n\nPreview one frame first.");
    return;
}
var startTime = comp.time;

var dialog = new Window("dialog", "Spindrel \u2014 Create Shape Layer");
dialog.orientation = "column";
dialog.alignChildren = "fill";
dialog.margins = 18;
dialog.spacing = 10;

dialog.add("statictext", undefined, "Path Smoothness (0=straight, 100=curved):");
var smoothnessSlider = addSliderRow(dialog, 60, 44, " %");

dialog.add("statictext", undefined, "Duration per stroke (seconds):");
var durationText = dialog.add("edittext", [0, 0, 60, 22], "1.5");

dialog.add("statictext", undefined, "Min stroke length (px) \u2014 removes artifact paths shorter than this:");
var minLengthSlider = addSliderRow(dialog, 20, 50, " px");

dialog.add("panel", undefined, "");

var byLetterBox = dialog.add("checkbox", undefined, "Letter-by-Letter Animation");
byLetterBox.value = true;

var directionPanel = dialog.add("panel", undefined, "Direction");
directionPanel.orientation = "column";
directionPanel.margins = 10;
var leftToRightButton = directionPanel.add("radiobutton", undefined, "\u25BA Left \u2192 Right (English)");
var rightToLeftButton = directionPanel.add("radiobutton", undefined, "\u25C4 Right \u2190 Left (Arabic)");
leftToRightButton.value = true;

var delayRow = dialog.add("group");
delayRow.orientation = "row";
delayRow.add("statictext", undefined, "Delay between letters (s):");
var delayText = delayRow.add("edittext", [0, 0, 50, 22], "0.4");

byLetterBox.onClick = function () {
    directionPanel.enabled = byLetterBox.value;
    delayRow.enabled = byLetterBox.value;
};

var buttonRow = dialog.add("group");
buttonRow.orientation = "row";
buttonRow.alignment = "right";
buttonRow.add("button", undefined, "Create Paths", {name: "ok"});
buttonRow.add("button", undefined, "Cancel", {name: "cancel"});

if (dialog.show() != 1) return;

var smoothness = smoothnessSlider.value / 100;
var duration = parseFloat(durationText.text);
if (!duration) duration = 1.5;
var minLength = minLengthSlider.value;
var byLetter = byLetterBox.value;
var rightToLeft = rightToLeftButton.value;
var letterDelay = parseFloat(delayText.text);
if (!letterDelay) letterDelay = 0.4;

// An engine that counts a trailing comma of the data lists as one more,
// empty entry must not see a path or point that is not there.
var paths = [];
for (var p = 0; p < data.paths.length; p++) {
    var source = data.paths[p];
    if (!source || !source.points) continue;
    var points = [];
    for (var q = 0; q < source.points.length; q++) {
        if (source.points[q]) points.push(source.points[q]);
    }
    if (points.length == 0) continue;
    var closed = source.closed === true;
    if (minLength > 0 && !closed) {
        if (points.length < 2) continue;
        if (pixelLen(points) < minLength) continue;
    }
    var vertices = [];
    for (var v = 0; v < points.length; v++) {
        vertices.push([points[v][0] - data.width / 2, points[v][1] - data.height / 2]);
    }
    var path = {vertices: vertices, closed: closed};
    setTangents(path, smoothness);
    paths.push(path);
}
if (paths.length == 0) {
    alert("All paths filtered! Lower the Min stroke length.");
    return;
}

var groups = groupByLetter(paths, data.width);
if (rightToLeft) groups.reverse();

app.beginUndoGroup("Spindrel: Create Shape Layer");
try {
    var layer = comp.layers.addShape();
    layer.name = "Spindrel Path";
    layer.label = 9;
    var layerContents = layer.property("ADBE Root Vectors Group");
    for (var g = 0; g < groups.length; g++) {
        var letterPaths = greedySort(groups[g], smoothness);
        snapEnds(letterPaths, 5.0);
        var t0 = byLetter ? startTime + g * letterDelay : startTime;
        var t1 = t0 + duration;
        if (t1 > comp.duration) t1 = comp.duration;

        var letter = layerContents.addProperty("ADBE Vector Group");
        letter.name = "Letter " + (g + 1);
        var letterContents = letter.property("ADBE Vectors Group");
        for (var s = 0; s < letterPaths.length; s++) {
            var shapeGroup = letterContents.addProperty("ADBE Vector Shape - Group");
            var shape = new Shape();
            shape.vertices = letterPaths[s].vertices;
            shape.inTangents = letterPaths[s].inTangents;
            shape.outTangents = letterPaths[s].outTangents;
            shape.closed = letterPaths[s].closed;
            shapeGroup.property("ADBE Vector Shape").setValue(shape);
        }

        var stroke = letterContents.addProperty("ADBE Vector Graphic - Stroke");
        stroke.property("ADBE Vector Stroke Color").setValue([strokeColor[0], strokeColor[1], strokeColor[2], 1]);
        stroke.property("ADBE Vector Stroke Width").setValue(strokeWidth);
        stroke.property("ADBE Vector Stroke Line Cap").setValue(2);
        stroke.property("ADBE Vector Stroke Line Join").setValue(2);

        var trim = letterContents.addProperty("ADBE Vector Filter - Trim");
        try {
            trim.property(4).setValue(2);
        } catch (ignoredTrimType) {
        }
        var trimEnd = trim.property(2);
        trimEnd.setValueAtTime(t0, 0);
        trimEnd.setValueAtTime(t1, 100);
        try {
            var ease = new KeyframeEase(0, 33);
            trimEnd.setTemporalEaseAtKey(1, [ease], [ease]);
            trimEnd.setTemporalEaseAtKey(2, [ease], [ease]);
        } catch (ignoredEase) {
        }
    }
    alert("\u2705 Done!\n\n" + groups.length +
          " letter group(s) created.\nPress U to see keyframes. F9 for Easy Ease.");
} catch (error) {
    alert("Error: " + errorText(error));
} finally {
    app.endUndoGroup();
}
};
app.scheduleTask('$.global.SpindrelSetup();', 20, false);
