#include "text/EnglishText.h"

namespace plashbox {

namespace {

// Keys name what a text is, not what it says, so that a changed wording keeps its key. The
// objects' and properties' keys carry their class and property names, which scene files keep
// for ever. Placeholders are in braces: "move {object}".
constexpr TCatalogueEntry Entries[] = {
    // The objects in the water: the name in menus and panels, the description, and the word
    // for the object in an edit's name ("move block").
    {"object.TBaseWaterObject.name", "Base Water Object"},
    {"object.TBaseWaterObject.description", "Need to change this"},
    {"object.TBaseControl.name", "Base Control Type"},
    {"object.TBaseControl.description", "Need to change this"},
    {"object.TBaseTool.name", "Base Tool Type"},
    {"object.TBaseTool.description", "Need to change this"},
    {"object.TBaseExciter.name", "Base Exciter Type"},
    {"object.TBaseExciter.description", "Need to change this"},
    {"object.TBaseRIMap.name", "Base Mapper Type"},
    {"object.TBaseRIMap.description", "Need to change this"},
    {"object.TGeneralExciter.name", "Wave Source"},
    {"object.TGeneralExciter.description", "Can make different widths of wave "},
    {"object.TGeneralExciter.word", "wave source"},
    {"object.TBlockRIMapper.name", "Block"},
    {"object.TBlockRIMapper.description", "Rectangular Block"},
    {"object.TBlockRIMapper.word", "block"},
    {"object.TLensRIMapper.name", "Lens"},
    {"object.TLensRIMapper.description", "Biconvex Lens"},
    {"object.TLensRIMapper.word", "lens"},
    {"object.TPrismRIMapper.name", "Prism"},
    {"object.TPrismRIMapper.description", "Triangular Prism"},
    {"object.TPrismRIMapper.word", "prism"},
    {"object.TBarrier.name", "Wall"},
    {"object.TBarrier.description", "A wall with slits"},
    {"object.TBarrier.word", "wall"},
    {"object.TProbe.name", "Probe"},
    {"object.TProbe.description", "A probe that graphs the displacement at its point"},
    {"object.TProbe.word", "probe"},
    {"object.TIntensityScreen.name", "Screen"},
    {"object.TIntensityScreen.description", "A screen that graphs the intensity along its line"},
    {"object.TIntensityScreen.word", "screen"},

    // The source's beam types, by the value of its BeamType.
    {"beam.point", "Point Source"},
    {"beam.beam", "Beam Source"},
    {"beam.line", "Line Source"},
    {"beam.double", "Double Source"},
    {"beam.doppler", "Doppler Source"},

    // A slide whose scene names and describes nothing, and has no map to be named after.
    {"slide.empty.name", "Empty Slide"},
    {"slide.empty.description", "Choose an object to explore."},

    // The edits in the Edit menu, after "Undo " and "Redo ".
    {"undo.move", "move {object}"},
    {"undo.add", "add {object}"},
    {"undo.delete", "delete {object}"},
    {"undo.choose", "choose {object}"},
    {"undo.change", "change {what}"},
    {"undo.open", "open {file}"},
    {"undo.show_intensity", "show intensity"},
    {"undo.show_waves", "show waves"},
    {"undo.choose_colours", "choose colours"},
    {"undo.choose_experiment", "choose experiment"},
    // What an edit of several objects, or of the slideshow itself, changed.
    {"undo.scene", "scene"},

    // A published property in the name of an edit that changed it alone ("change beam type").
    {"property.ActiveID", "experiment"},
    {"property.ActiveTool", "active tool"},
    {"property.Angle", "angle"},
    {"property.ApexAngle", "apex angle"},
    {"property.AveragingPeriods", "averaging periods"},
    {"property.BeamType", "beam type"},
    {"property.CentreXPercent", "centre xpercent"},
    {"property.CentreYPercent", "centre ypercent"},
    {"property.ColourIndex", "colour index"},
    {"property.ColourScheme", "colour scheme"},
    {"property.Cs", "cs"},
    {"property.Description", "description"},
    {"property.Detune", "detune"},
    {"property.DiameterPercent", "diameter percent"},
    {"property.DopplerSpeed", "Mach number"},
    {"property.Exposure", "exposure"},
    {"property.Harmonics", "harmonics"},
    {"property.HeightPercentage", "height percentage"},
    {"property.IntensityView", "intensity view"},
    {"property.n", "refractive index"},
    {"property.Name", "name"},
    {"property.ON", "on/off"},
    {"property.OneShot", "single pulse"},
    {"property.Phase", "phase"},
    {"property.Phase2", "phase2"},
    {"property.Phase3", "phase3"},
    {"property.SizePercent", "size percent"},
    {"property.Slits", "slits"},
    {"property.SlitSpacing", "slit spacing"},
    {"property.SlitWidth", "slit width"},
    {"property.Sn", "sn"},
    {"property.Snap_to_Grid", "snap to grid"},
    {"property.TankHeight", "tank height"},
    {"property.TankWidth", "tank width"},
    {"property.Thickness", "thickness"},
    {"property.ThicknessPercent", "thickness percent"},
    {"property.UniqueID", "unique id"},
    {"property.UseFreq", "frequency or wavelength"},
    {"property.Version", "version"},
    {"property.Wavelength", "wavelength"},
    {"property.WidthPercentage", "width percentage"},
    {"property.X1Percent", "x1percent"},
    {"property.X2Percent", "x2percent"},
    {"property.Y1Percent", "y1percent"},
    {"property.Y2Percent", "y2percent"},

    // The display shapes and tank sizes of the menu, and the simulation's speeds.
    {"shape.normal", "Normal"},
    {"shape.small", "Small"},
    {"shape.long", "Long and thin"},
    {"shape.tall", "Tall and Narrow"},
    {"shape.size", "{width} x {height}"},
    {"speed.quarter", "1/4x"},
    {"speed.half", "1/2x"},
    {"speed.normal", "1x"},
    {"speed.double", "2x"},
    {"speed.fourfold", "4x"},
    {"speed.eightfold", "8x"},

    // The colour schemes of the picture, by scheme.
    {"colours.grey", "Grey"},
    {"colours.blue_water", "Blue water"},
    {"colours.blue_white_red", "Blue, white and red"},
    {"colours.high_contrast", "High contrast"},

    // The probes' and the screen's readings on their panels.
    {"reading.list", "{list}, {item}"},
    {"reading.probe.amplitude", "p-p {value}"},
    {"reading.probe.unmeasured", "- steps, - Hz, {amplitude}"},
    {"reading.probe.period", "{steps} steps, {hertz} Hz, {amplitude}"},
    {"reading.probe.beat", "{hertz} Hz, beat {beat} Hz, {amplitude}"},
    {"reading.phase.leads", "{probe} leads {reference} by {degrees}\u00b0"},
    {"reading.phase.lags", "{probe} lags {reference} by {degrees}\u00b0"},
    {"reading.phase.none", "no phase: the frequencies differ"},
    {"reading.maxima.none", "no maxima yet"},
    {"reading.maxima.one", "maximum at {places} cells"},
    {"reading.maxima.many", "maxima at {places} cells"},
    {"reading.maxima.weaker", "{maxima} and {weaker} weaker"},
    {"reading.screen.empty", "no intensity kept yet"},

    // The debug panel's rows: the frame statistics and the readouts under the pointer.
    {"debug.timer_rate", "Timer rate"},
    {"debug.draw_rate", "Draw rate"},
    {"debug.cpu_usage", "CPU Usage"},
    {"debug.memory_usage", "Memory Usage"},
    {"debug.speed", "Speed"},
    {"debug.displacement", "Displacement"},
    {"debug.index", "n"},

    // The shipped experiments: each slide's name and description.
    {"experiment.refraction.name", "Refraction into a glass block"},
    {"experiment.refraction.description",
     "Waves slow down in the glass block, so they come closer together and, where they meet its edge at an angle, "
     "change direction. Turn the block by its handles and watch the waves bend."},
    {"experiment.single_slit.name", "Single slit"},
    {"experiment.single_slit.description",
     "A straight wave passes one narrow gap and spreads out behind it. Make the slit narrower than the wavelength "
     "and the waves spread in all directions."},
    {"experiment.double_slit.name", "Double slit (Young)"},
    {"experiment.double_slit.description",
     "Waves from two slits overlap and add up: bright bands where crests meet crests, quiet lines where crests meet "
     "troughs. The bands lie where d sin(theta) is a whole number of wavelengths."},
    {"experiment.grating.name", "Diffraction grating"},
    {"experiment.grating.description",
     "Five evenly spaced slits make sharper, brighter beams than two: the waves from all the slits agree only in a "
     "few directions."},
    {"experiment.reflection.name", "Reflection from a wall at 45 degrees"},
    {"experiment.reflection.description",
     "A beam meets a wall at 45 degrees and leaves it at 45 degrees on the other side: the angle of reflection "
     "equals the angle of incidence. Turn the wall by its handles to try other angles."},
    {"experiment.standing_waves.name", "Standing waves between two walls"},
    {"experiment.standing_waves.description",
     "Waves bounce to and fro between two walls and overlap with themselves: some places never move (nodes), others "
     "swing most (antinodes). The pattern stands still while the water moves."},
    {"experiment.two_sources.name", "Two-source interference"},
    {"experiment.two_sources.description",
     "Two sources in step send out rings that cross. Along some lines they always cancel: these nodal lines fan out "
     "from between the sources. Move a source and watch the lines move."},
    {"experiment.beats.name", "Beats"},
    {"experiment.beats.description",
     "Two sources with slightly different frequencies go in and out of step, so the pattern between them swells and "
     "fades: the beat."},
    {"experiment.total_reflection.name", "Total internal reflection"},
    {"experiment.total_reflection.description",
     "The beam starts inside the dense block and meets its edge at 45 degrees, steeper than the critical angle "
     "(about 33 degrees here), so none of it gets out: all of it is reflected back into the block, and the corner of "
     "open water beyond stays calm. Lower the refractive index below 1.41 and some of it escapes."},
    {"experiment.lens.name", "A convex lens"},
    {"experiment.lens.description",
     "The waves are slower in the middle of the lens, where it is thickest, so the wave fronts curve and the beam "
     "comes together at a focus behind the lens."},
    {"experiment.prism.name", "Refraction through a prism"},
    {"experiment.prism.description",
     "The beam bends twice, going into the prism and coming out, and leaves it turned towards the base."},
    {"experiment.doppler.name", "Doppler effect"},
    {"experiment.doppler.description",
     "The source moves at half the wave speed: ahead of it the waves are squeezed together (higher frequency), "
     "behind it they are stretched apart (lower frequency)."},
    {"experiment.shock_cone.name", "Shock-wave cone"},
    {"experiment.shock_cone.description",
     "The source moves faster than its own waves, at Mach 1.5: the rings pile up along a V-shaped cone behind it, "
     "like the bow wave of a boat or a sonic boom."},
    {"experiment.pulse.name", "A single pulse reflecting from a wall"},
    {"experiment.pulse.description",
     "One short pulse travels to a wall and comes back upside down: a crest returns as a trough. Press the "
     "single-pulse button on the source panel to send another."},
};

}  // namespace

std::span<const TCatalogueEntry> EnglishText() { return Entries; }

}  // namespace plashbox
